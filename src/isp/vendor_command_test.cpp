#include "isp/vendor_command.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

struct LengthRow {
  const char* name;
  std::uint32_t length;
  std::uint32_t padded;
  Byte byte4, byte5, byte6;
};

TEST(VendorCommand, SendIspDataCarriesLowLengthAndPaddedBlocks) {
  const LengthRow rows[] = {
      {"one short of a block", 511, 512, 0xFF, 0x01, 0x01},
      {"one block", 512, 512, 0x00, 0x02, 0x01},
      {"one past a block", 513, 1024, 0x01, 0x02, 0x02},
      {"largest sendable", 65535, 65536, 0xFF, 0xFF, 0x80},
      {"whole buffer does not fit 16 bits", 65536, 0, 0x00, 0x00, 0x00},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(paddedLength(row.length), row.padded) << row.name;
    const CommandBlock cdb = sendIspDataBlock(IspDataMode::Program, 0, row.length, paddedLength(row.length));
    EXPECT_EQ(cdb[4], row.byte4) << row.name;
    EXPECT_EQ(cdb[5], row.byte5) << row.name;
    EXPECT_EQ(cdb[6], row.byte6) << row.name;
  }
}

TEST(VendorCommand, ModeSelectsOpcodeAndIsRepeatedInByteTwo) {
  const CommandBlock program = sendIspDataBlock(IspDataMode::Program, 0x00, 512, 512);
  const CommandBlock verify = sendIspDataBlock(IspDataMode::Verify, 0x5C, 512, 512);
  EXPECT_EQ(program, (CommandBlock{0x06, 0xB1, 0x00, 0x00, 0x00, 0x02, 0x01, 0, 0, 0, 0, 0}));
  EXPECT_EQ(verify, (CommandBlock{0x06, 0xB2, 0x01, 0x5C, 0x00, 0x02, 0x01, 0, 0, 0, 0, 0}));
}

TEST(VendorCommand, JumpAndStatusBlocks) {
  EXPECT_EQ(jumpToIspBlock(0x00), (CommandBlock{0x06, 0xBF, 0, 0, 0x08, 0x00, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(jumpToIspBlock(0x08), (CommandBlock{0x06, 0xBF, 0, 0, 0x08, 0x08, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(getIspStatusBlock(), (CommandBlock{0x06, 0xB0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace updater
