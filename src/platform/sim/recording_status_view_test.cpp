#include "platform/sim/recording_status_view.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(RecordingStatusView, FreshWindowIsHiddenWithItsBarAtZero) {
  Transcript transcript;
  RecordingStatusView view(transcript);
  view.create();
  EXPECT_TRUE(view.exists());
  EXPECT_FALSE(view.visible());
  EXPECT_EQ(view.bar().position, 0);
}

TEST(RecordingStatusView, EachWindowStartsOverAndCallsWithoutAWindowAreMisuses) {
  Transcript transcript;
  RecordingStatusView view(transcript);
  view.create();
  view.setRange(0, 15);
  view.setStep(4);
  view.stepIt();
  view.destroy();
  view.stepIt();
  EXPECT_EQ(view.misuses(), 1);

  view.create();
  EXPECT_EQ(view.bar().position, 0);
  EXPECT_EQ(view.createdCount(), 2);
  EXPECT_EQ(view.misuses(), 1);
}

TEST(RecordingStatusView, StepItRecordsThePositionAfterTheStep) {
  Transcript transcript;
  RecordingStatusView view(transcript);
  view.create();
  view.setRange(0, 15);
  view.setStep(3);
  view.stepIt();
  auto events = transcript.ofKind(EventKind::StatusWindow);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[3].name, "stepIt");
  EXPECT_EQ(events[3].position, 3);
}

}  // namespace
}  // namespace updater
