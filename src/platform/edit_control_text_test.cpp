#include "platform/edit_control_text.h"

#include <gtest/gtest.h>

#include <string>

namespace updater {
namespace {

TEST(EditControlText, WidensEveryLineFeed) {
  EXPECT_EQ(toEditControlText("\nSuccess Number Of ISP: 1\n\nok"), "\r\nSuccess Number Of ISP: 1\r\n\r\nok");
}

TEST(EditControlText, ReadsBackWhatTheProgramWrote) {
  // Texts with carriage returns of their own (a DEVICE.TXT value may hold
  // one) come back unchanged as well.
  const std::string cases[] = {"", "\n", "a\nb", "\r", "a\r\nb", "\r\r\n\n", "end\r", std::string("nul\0in", 6)};
  for (const auto& text : cases) EXPECT_EQ(fromEditControlText(toEditControlText(text)), text) << text;
}

}  // namespace
}  // namespace updater
