#pragma once

// The SCSI pass-through request as a 64-bit Windows program must hand it to
// DeviceIoControl. The program builds every request in the 32-bit layout of
// scsi_pass_through.h; on 64-bit Windows SCSI_PASS_THROUGH is 56 bytes,
// because DataBufferOffset is pointer-sized and aligned to 8, which moves it,
// SenseInfoOffset and Cdb. These functions carry a request into the native
// layout before the call and its answer back afterwards.
//
// The native buffer keeps the arrangement of the 32-bit one: the header, a
// filler, the sense area and the data area. Both areas lie 16 bytes further
// on (sense at 64, data at 96), so they keep their 16-byte alignment.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/bytes.h"
#include "platform/scsi_pass_through.h"

namespace updater::pass_through_layout64 {

// Header fields of the native 64-bit SCSI_PASS_THROUGH, by their published
// names. Up to TimeOutValue they sit where the 32-bit ones do.
inline constexpr std::size_t kLength = 0;               // u16, the header size
inline constexpr std::size_t kScsiStatus = 2;           // u8
inline constexpr std::size_t kPathId = 3;               // u8
inline constexpr std::size_t kTargetId = 4;             // u8
inline constexpr std::size_t kLun = 5;                  // u8
inline constexpr std::size_t kCdbLength = 6;            // u8
inline constexpr std::size_t kSenseInfoLength = 7;      // u8
inline constexpr std::size_t kDataIn = 8;               // u8
inline constexpr std::size_t kDataTransferLength = 12;  // u32
inline constexpr std::size_t kTimeOutValue = 16;        // u32
inline constexpr std::size_t kDataBufferOffset = 24;    // u64 (ULONG_PTR), after 4 alignment bytes
inline constexpr std::size_t kSenseInfoOffset = 32;     // u32
inline constexpr std::size_t kCdb = 36;                 // 16 bytes, then 4 bytes of tail padding

inline constexpr std::size_t kHeaderSize = 56;
/// How much further on the sense and data areas lie than in the 32-bit buffer.
inline constexpr std::size_t kAreaShift = 16;
inline constexpr std::size_t kSenseArea = scsi_pass_through::kSenseArea + kAreaShift;  // 64
inline constexpr std::size_t kDataArea = scsi_pass_through::kDataArea + kAreaShift;    // 96
/// Room for the largest request the program builds.
inline constexpr std::size_t kBufferSize = scsi_pass_through::kBufferSize + kAreaShift;

/// The sizes to pass to DeviceIoControl for a converted request.
struct NativeExtents {
  std::uint32_t inputSize = 0;
  std::uint32_t outputSize = 0;

  friend bool operator==(const NativeExtents&, const NativeExtents&) = default;
};

/// The native size of the first `size32` bytes of a 32-bit request buffer.
std::uint32_t nativeSize(std::size_t size32);

/// Builds in `native` (kBufferSize bytes or more) the native form of the
/// 32-bit request `request` (the input of the call) whose answer is to fill
/// `outputSize` bytes: the header fields, with both offsets moved to the
/// native areas, then the sense and data bytes of the input. Native bytes
/// that the input does not supply, up to the output's extent, are zero.
/// Nothing when the request cannot be carried: the input or the output is
/// shorter than the 32-bit header or longer than the 32-bit buffer, or an
/// offset points before the sense area or past the buffer. `native` is then
/// left as it was.
std::optional<NativeExtents> toNative(ConstBytes request, std::size_t outputSize, Bytes native);

/// Carries the answer in `native` back into `answer`, the 32-bit output
/// buffer (scsi_pass_through::kHeaderSize bytes or more): ScsiStatus,
/// SenseInfoLength and DataTransferLength, and the sense and data bytes of
/// the output's extent. The other header fields of `answer` stay as they are.
void fromNative(ConstBytes native, Bytes answer);

/// The returned-bytes word of the native call as the 32-bit request would
/// have counted it.
std::uint32_t bytesReturnedFor(std::uint32_t nativeBytes);

}  // namespace updater::pass_through_layout64
