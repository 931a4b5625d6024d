#include "platform/pass_through_layout64.h"

#include <algorithm>

namespace updater::pass_through_layout64 {
namespace {

namespace spt = scsi_pass_through;

/// A field that sits at one offset in the 32-bit header and at another in
/// the native one.
struct FieldPlace {
  std::size_t at32;
  std::size_t at64;
};

// The fields carried unchanged into the native header. Length and the two
// offsets are the native layout's own and written apart.
constexpr FieldPlace kByteFields[] = {
    {spt::kScsiStatus, kScsiStatus}, {spt::kPathId, kPathId},
    {spt::kTargetId, kTargetId},     {spt::kLun, kLun},
    {spt::kCdbLength, kCdbLength},   {spt::kSenseInfoLength, kSenseInfoLength},
    {spt::kDataIn, kDataIn},
};
constexpr FieldPlace kWordFields[] = {
    {spt::kDataTransferLength, kDataTransferLength},
    {spt::kTimeOutValue, kTimeOutValue},
};

// What the device writes and the program reads back.
constexpr FieldPlace kAnswerByteFields[] = {
    {spt::kScsiStatus, kScsiStatus},
    {spt::kSenseInfoLength, kSenseInfoLength},
};
constexpr FieldPlace kAnswerWordFields[] = {
    {spt::kDataTransferLength, kDataTransferLength},
};

bool extentFits(std::size_t size32) { return size32 >= spt::kHeaderSize && size32 <= spt::kBufferSize; }

/// Where an offset into the sense or data area points in the native buffer.
/// An offset into the header or its filler has no native counterpart.
std::optional<std::uint32_t> nativeOffset(std::uint32_t offset32) {
  if (offset32 < spt::kSenseArea || offset32 > spt::kBufferSize) return std::nullopt;
  return static_cast<std::uint32_t>(offset32 + kAreaShift);
}

void writeHeader(ConstBytes request, std::uint32_t dataOffset, std::uint32_t senseOffset, Bytes native) {
  // The header, its alignment gaps and the filler after it start out zero.
  std::fill_n(native.begin(), kSenseArea, Byte{0});
  putU16(native, kLength, static_cast<std::uint16_t>(kHeaderSize));
  for (const FieldPlace& field : kByteFields) putU8(native, field.at64, getU8(request, field.at32));
  for (const FieldPlace& field : kWordFields) putU32(native, field.at64, getU32(request, field.at32));
  // A 64-bit field whose upper half stays 0.
  putU32(native, kDataBufferOffset, dataOffset);
  putU32(native, kSenseInfoOffset, senseOffset);
  std::copy_n(request.begin() + spt::kCdb, spt::kCdbFieldSize, native.begin() + kCdb);
}

}  // namespace

std::uint32_t nativeSize(std::size_t size32) {
  // The header grows by 12 bytes, the header and filler together by 16.
  const std::size_t growth = size32 <= spt::kHeaderSize ? kHeaderSize - spt::kHeaderSize : kAreaShift;
  return static_cast<std::uint32_t>(size32 + growth);
}

std::optional<NativeExtents> toNative(ConstBytes request, std::size_t outputSize, Bytes native) {
  if (!extentFits(request.size()) || !extentFits(outputSize) || native.size() < kBufferSize) return std::nullopt;
  const std::optional<std::uint32_t> dataOffset = nativeOffset(getU32(request, spt::kDataBufferOffset));
  const std::optional<std::uint32_t> senseOffset = nativeOffset(getU32(request, spt::kSenseInfoOffset));
  if (!dataOffset || !senseOffset) return std::nullopt;

  const NativeExtents extents{nativeSize(request.size()), nativeSize(outputSize)};
  writeHeader(request, *dataOffset, *senseOffset, native);
  if (request.size() > spt::kSenseArea) {
    std::copy(request.begin() + spt::kSenseArea, request.end(), native.begin() + kSenseArea);
  }
  // What the output covers beyond the input: zero, as in the program's own
  // buffer, so that nothing of an earlier request comes back.
  const std::size_t zeroFrom = std::max<std::size_t>(extents.inputSize, kSenseArea);
  if (extents.outputSize > zeroFrom) {
    std::fill(native.begin() + static_cast<std::ptrdiff_t>(zeroFrom),
              native.begin() + static_cast<std::ptrdiff_t>(extents.outputSize), Byte{0});
  }
  return extents;
}

void fromNative(ConstBytes native, Bytes answer) {
  for (const FieldPlace& field : kAnswerByteFields) putU8(answer, field.at32, getU8(native, field.at64));
  for (const FieldPlace& field : kAnswerWordFields) putU32(answer, field.at32, getU32(native, field.at64));
  if (answer.size() <= spt::kSenseArea || native.size() <= kSenseArea) return;
  const std::size_t count = std::min(answer.size() - spt::kSenseArea, native.size() - kSenseArea);
  std::copy_n(native.begin() + kSenseArea, count, answer.begin() + spt::kSenseArea);
}

std::uint32_t bytesReturnedFor(std::uint32_t nativeBytes) {
  if (nativeBytes >= kSenseArea) return nativeBytes - static_cast<std::uint32_t>(kAreaShift);
  // Within the header or the filler: at most the 32-bit header.
  return std::min(nativeBytes, static_cast<std::uint32_t>(spt::kHeaderSize));
}

}  // namespace updater::pass_through_layout64
