#include "common/bytes.h"

#include <array>

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(Bytes, WritesAndReadsLittleEndianAtOffsets) {
  std::array<Byte, 8> buffer{};
  putU16(buffer, 1, 0x1234);
  putU32(buffer, 3, 0xA1B2C3D4);
  EXPECT_EQ(buffer, (std::array<Byte, 8>{0x00, 0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0x00}));
  EXPECT_EQ(getU16(buffer, 1), 0x1234);
  EXPECT_EQ(getU32(buffer, 3), 0xA1B2C3D4u);
  EXPECT_EQ(getU8(buffer, 7), 0);
}

}  // namespace
}  // namespace updater
