#pragma once

// The Windows SCSI pass-through request as the program sends it: the
// published 32-bit SCSI_PASS_THROUGH header (44 bytes), a filler, a sense
// area and a data area, one buffer for input and output. Offsets are those
// of the published structure on 32-bit Windows.

#include <cstddef>
#include <cstdint>

namespace updater::scsi_pass_through {

/// IOCTL_SCSI_PASS_THROUGH.
inline constexpr std::uint32_t kControlCode = 0x4D004;

// Header fields, by their published names.
inline constexpr std::size_t kLength = 0;               // u16, the header size
inline constexpr std::size_t kScsiStatus = 2;           // u8, set by the device
inline constexpr std::size_t kPathId = 3;               // u8
inline constexpr std::size_t kTargetId = 4;             // u8
inline constexpr std::size_t kLun = 5;                  // u8
inline constexpr std::size_t kCdbLength = 6;            // u8
inline constexpr std::size_t kSenseInfoLength = 7;      // u8
inline constexpr std::size_t kDataIn = 8;               // u8
inline constexpr std::size_t kDataTransferLength = 12;  // u32 (after 3 alignment bytes)
inline constexpr std::size_t kTimeOutValue = 16;        // u32, seconds
inline constexpr std::size_t kDataBufferOffset = 20;    // u32 on 32-bit Windows
inline constexpr std::size_t kSenseInfoOffset = 24;     // u32
inline constexpr std::size_t kCdb = 28;                 // 16 bytes
inline constexpr std::size_t kCdbFieldSize = 16;

inline constexpr std::size_t kHeaderSize = 44;
inline constexpr std::size_t kSenseArea = 48;
inline constexpr std::size_t kSenseAreaSize = 32;
inline constexpr std::size_t kDataArea = 80;
inline constexpr std::size_t kDataAreaSize = 65536;
inline constexpr std::size_t kBufferSize = kDataArea + kDataAreaSize;  // 65,616

/// DataIn values.
inline constexpr std::uint8_t kScsiIoctlDataOut = 0;
inline constexpr std::uint8_t kScsiIoctlDataIn = 1;

/// SCSI status of a command that completed with check condition.
inline constexpr std::uint8_t kCheckCondition = 2;

}  // namespace updater::scsi_pass_through
