#include "platform/pass_through_layout64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace updater {
namespace {

namespace spt = scsi_pass_through;
namespace native64 = pass_through_layout64;

constexpr Byte kStale = 0xEE;

/// A 32-bit request as the drive-letter route builds it, with field values
/// that tell one field from another.
std::vector<Byte> request32(std::uint8_t dataIn, std::uint32_t dataLength) {
  std::vector<Byte> buffer(spt::kBufferSize, 0);
  const Bytes out(buffer);
  putU16(out, spt::kLength, 44);
  putU8(out, spt::kScsiStatus, 0x5C);
  putU8(out, spt::kPathId, 0x03);
  putU8(out, spt::kTargetId, 0x01);
  putU8(out, spt::kLun, 0x02);
  putU8(out, spt::kCdbLength, 12);
  putU8(out, spt::kSenseInfoLength, 24);
  putU8(out, spt::kDataIn, dataIn);
  putU32(out, spt::kDataTransferLength, dataLength);
  putU32(out, spt::kTimeOutValue, 30);
  putU32(out, spt::kDataBufferOffset, 80);
  putU32(out, spt::kSenseInfoOffset, 48);
  for (std::size_t i = 0; i < spt::kCdbFieldSize; ++i) out[spt::kCdb + i] = static_cast<Byte>(0xC0 + i);
  return buffer;
}

std::vector<Byte> staleNativeBuffer() { return std::vector<Byte>(native64::kBufferSize, kStale); }

TEST(PassThroughLayout64, HeaderTakesTheNativeLayout) {
  const std::vector<Byte> request = request32(spt::kScsiIoctlDataIn, 8);
  std::vector<Byte> native = staleNativeBuffer();
  ASSERT_TRUE(native64::toNative(ConstBytes(request).first(44), 88, native));

  const std::array<Byte, 64> expected = {
      0x38, 0x00, 0x5C, 0x03, 0x01, 0x02, 0x0C, 0x18,  // Length 56, ScsiStatus .. SenseInfoLength
      0x01, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00,  // DataIn, gap, DataTransferLength
      0x1E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // TimeOutValue, gap
      0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // DataBufferOffset 96, 64 bits
      0x40, 0x00, 0x00, 0x00, 0xC0, 0xC1, 0xC2, 0xC3,  // SenseInfoOffset 64, Cdb
      0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB,  //
      0xCC, 0xCD, 0xCE, 0xCF, 0x00, 0x00, 0x00, 0x00,  // end of Cdb, tail padding
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // filler before the sense area
  };
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), native.begin()));
}

TEST(PassThroughLayout64, SenseAndDataAreasMoveSixteenBytesOn) {
  std::vector<Byte> request = request32(spt::kScsiIoctlDataOut, 5);
  for (std::size_t i = 0; i < spt::kSenseAreaSize; ++i) request[spt::kSenseArea + i] = static_cast<Byte>(0x40 + i);
  const std::array<Byte, 5> data = {0xD0, 0xD1, 0xD2, 0xD3, 0xD4};
  std::copy(data.begin(), data.end(), request.begin() + spt::kDataArea);
  std::vector<Byte> native = staleNativeBuffer();

  ASSERT_TRUE(native64::toNative(ConstBytes(request).first(85), 85, native));
  for (std::size_t i = 0; i < spt::kSenseAreaSize; ++i) {
    EXPECT_EQ(native[64 + i], 0x40 + i) << "sense byte " << i;
  }
  EXPECT_TRUE(std::equal(data.begin(), data.end(), native.begin() + 96));
  EXPECT_EQ(native[101], kStale) << "past the request";
}

TEST(PassThroughLayout64, OutputBeyondTheInputStartsZero) {
  const std::vector<Byte> request = request32(spt::kScsiIoctlDataIn, 36);
  std::vector<Byte> native = staleNativeBuffer();
  ASSERT_TRUE(native64::toNative(ConstBytes(request).first(44), 116, native));
  EXPECT_TRUE(std::all_of(native.begin() + 56, native.begin() + 132, [](Byte b) { return b == 0; }));
  EXPECT_EQ(native[132], kStale) << "past the output";
}

TEST(PassThroughLayout64, ExtentsOfTheProgramsRequests) {
  struct Row {
    const char* name;
    std::size_t input32;
    std::size_t output32;
    native64::NativeExtents expected;
  };
  const Row rows[] = {
      {"jumpToIsp", 44, 80, {56, 96}},
      {"getIspStatus", 44, 88, {56, 104}},
      {"inquiry", 44, 116, {56, 132}},
      {"deviceIdentify", 44, 608, {56, 624}},
      {"sendIspData of 512 bytes", 592, 592, {608, 608}},
      {"sendIspData of 64 KiB", 65'616, 65'616, {65'632, 65'632}},
  };
  const std::vector<Byte> request = request32(spt::kScsiIoctlDataIn, 0);
  for (const Row& row : rows) {
    std::vector<Byte> native = staleNativeBuffer();
    const auto extents = native64::toNative(ConstBytes(request).first(row.input32), row.output32, native);
    ASSERT_TRUE(extents) << row.name;
    EXPECT_EQ(*extents, row.expected) << row.name;
  }
}

TEST(PassThroughLayout64, RequestsThatCannotBeCarriedLeaveTheNativeBufferAlone) {
  struct Row {
    const char* name;
    std::size_t input32;
    std::size_t output32;
    std::uint32_t dataOffset;
    std::uint32_t senseOffset;
    std::size_t nativeSize;
  };
  const std::size_t full = native64::kBufferSize;
  const Row rows[] = {
      {"input shorter than the header", 43, 80, 80, 48, full},
      {"output shorter than the header", 44, 43, 80, 48, full},
      {"output past the buffer", 44, 65'617, 80, 48, full},
      {"data offset into the filler", 44, 80, 44, 48, full},
      {"sense offset into the header", 44, 80, 80, 0, full},
      {"data offset past the buffer", 44, 80, 65'617, 48, full},
      {"native buffer too small", 44, 80, 80, 48, full - 1},
  };
  for (const Row& row : rows) {
    std::vector<Byte> request = request32(spt::kScsiIoctlDataIn, 0);
    putU32(request, spt::kDataBufferOffset, row.dataOffset);
    putU32(request, spt::kSenseInfoOffset, row.senseOffset);
    std::vector<Byte> native(row.nativeSize, kStale);
    EXPECT_FALSE(native64::toNative(ConstBytes(request).first(row.input32), row.output32, native)) << row.name;
    EXPECT_TRUE(std::all_of(native.begin(), native.end(), [](Byte b) { return b == kStale; })) << row.name;
  }
  // The largest request the buffer holds is carried.
  const std::vector<Byte> largest = request32(spt::kScsiIoctlDataOut, 65'536);
  std::vector<Byte> native = staleNativeBuffer();
  EXPECT_TRUE(native64::toNative(largest, largest.size(), native));
}

TEST(PassThroughLayout64, AnswerComesBackIntoTheProgramsBuffer) {
  // The program's buffer is input and output at once.
  std::vector<Byte> buffer = request32(spt::kScsiIoctlDataIn, 8);
  std::vector<Byte> native = staleNativeBuffer();
  ASSERT_TRUE(native64::toNative(ConstBytes(buffer).first(44), 88, native));
  // What the driver leaves: check condition, 18 sense bytes, 3 data bytes.
  native[2] = 0x02;
  native[7] = 18;
  putU32(native, 12, 3);
  for (std::size_t i = 0; i < 18; ++i) native[64 + i] = static_cast<Byte>(0x70 + i);
  native[96] = 0xA1;
  native[97] = 0xA2;
  native[98] = 0xA3;
  std::vector<Byte> expected = buffer;
  buffer[88] = kStale;  // past the output

  native64::fromNative(native, Bytes(buffer).first(88));

  expected[spt::kScsiStatus] = 0x02;
  expected[spt::kSenseInfoLength] = 18;
  putU32(expected, spt::kDataTransferLength, 3);
  for (std::size_t i = 0; i < 18; ++i) expected[48 + i] = static_cast<Byte>(0x70 + i);
  expected[80] = 0xA1;
  expected[81] = 0xA2;
  expected[82] = 0xA3;
  expected[88] = kStale;
  EXPECT_EQ(std::vector<Byte>(buffer.begin(), buffer.begin() + 89),
            std::vector<Byte>(expected.begin(), expected.begin() + 89));
}

TEST(PassThroughLayout64, BytesReturnedCountAsInTheProgramsLayout) {
  struct Row {
    std::uint32_t native;
    std::uint32_t expected;
  };
  const Row rows[] = {{0, 0}, {44, 44}, {56, 44}, {60, 44}, {64, 48}, {96, 80}, {104, 88}, {65'632, 65'616}};
  for (const Row& row : rows) EXPECT_EQ(native64::bytesReturnedFor(row.native), row.expected) << row.native;
}

}  // namespace
}  // namespace updater
