#include "platform/sim/recording_main_view.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(RecordingMainView, ControlTextsGoToTheTranscriptAndTheLastOneStays) {
  Transcript transcript;
  RecordingMainView view(transcript);
  view.setControlText(1021, "first");
  view.setControlText(1024, "name");
  view.setControlText(1021, "second");

  auto events = transcript.ofKind(EventKind::Control);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].id, 1021);
  EXPECT_EQ(events[0].text, "first");
  EXPECT_EQ(events[1].id, 1024);
  EXPECT_EQ(events[2].text, "second");

  EXPECT_EQ(view.controlText(1021), "second");
  EXPECT_EQ(view.controlText(1024), "name");
  EXPECT_EQ(view.controlText(1028), "");
}

TEST(RecordingMainView, ControlTextKeepsEveryByte) {
  Transcript transcript;
  RecordingMainView view(transcript);
  const std::string text("\n\xFF\x80 end", 7);
  view.setControlText(1021, text);
  EXPECT_EQ(view.controlText(1021), text);
  EXPECT_EQ(transcript.events().back().text, text);
}

}  // namespace
}  // namespace updater
