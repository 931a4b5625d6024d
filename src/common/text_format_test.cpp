#include "common/text_format.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(TextFormat, HexIsLowerCaseWithoutLeadingZeros) {
  EXPECT_EQ(hexText(0), "0");
  EXPECT_EQ(hexText(0x9C), "9c");
  EXPECT_EQ(hexText(0x0A), "a");
  EXPECT_EQ(hexText(0xFFFFFFFF), "ffffffff");
}

TEST(TextFormat, PaddedHexFillsWithZerosButNeverCuts) {
  std::string text;
  appendPaddedHex(text, 0x5, 2);
  appendPaddedHex(text, 0xAB, 2);
  appendPaddedHex(text, 0x1C, 4);
  appendPaddedHex(text, 0x12345, 4);
  EXPECT_EQ(text, "05ab001c12345");
}

TEST(TextFormat, DecimalAppendsToExistingText) {
  std::string text = "length ";
  appendDecimal(text, 65536);
  EXPECT_EQ(text, "length 65536");
}

}  // namespace
}  // namespace updater
