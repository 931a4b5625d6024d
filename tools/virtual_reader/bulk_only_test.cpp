#include "bulk_only.h"

#include <gtest/gtest.h>

#include <vector>

namespace updater::bulk_only {
namespace {

std::vector<Byte> wrapper(std::uint32_t signature, Byte lun, Byte blockLength) {
  std::vector<Byte> bytes(kCbwSize, 0);
  putU32(bytes, kCbwSignatureAt, signature);
  putU32(bytes, kCbwTagAt, 0x11223344);
  putU32(bytes, kCbwDataLengthAt, 36);
  putU8(bytes, kCbwFlagsAt, kFlagDataIn);
  putU8(bytes, kCbwLunAt, lun);
  putU8(bytes, kCbwBlockLengthAt, blockLength);
  putU8(bytes, kCbwBlockAt, 0x12);
  return bytes;
}

TEST(BulkOnly, ParsesOnlyMeaningfulWrappers) {
  struct Row {
    std::uint32_t signature;
    Byte lun;
    Byte blockLength;
    bool valid;
  } const rows[] = {
      {kCbwSignature, 0, 6, true},  {kCbwSignature, 1, 12, true}, {kCswSignature, 0, 6, false},
      {kCbwSignature, 2, 6, false}, {kCbwSignature, 0, 0, false}, {kCbwSignature, 0, 17, false},
  };
  for (const Row& row : rows) {
    const auto cbw = parseCbw(wrapper(row.signature, row.lun, row.blockLength), 2);
    ASSERT_EQ(cbw.has_value(), row.valid) << row.signature << " " << int{row.lun} << " " << int{row.blockLength};
    if (!cbw) continue;
    EXPECT_EQ(cbw->tag, 0x11223344u);
    EXPECT_TRUE(cbw->expectsIn());
    EXPECT_EQ(cbw->block[0], 0x12);
  }
  EXPECT_FALSE(parseCbw(std::vector<Byte>(30, 0), 1));
}

TEST(BulkOnly, StatusWrapperCarriesTagResidueAndStatus) {
  const Csw csw = makeCsw(7, 12, Status::Failed);
  EXPECT_EQ(getU32(csw, kCswSignatureAt), kCswSignature);
  EXPECT_EQ(getU32(csw, kCswTagAt), 7u);
  EXPECT_EQ(getU32(csw, kCswResidueAt), 12u);
  EXPECT_EQ(getU8(csw, kCswStatusAt), 1);
}

}  // namespace
}  // namespace updater::bulk_only
