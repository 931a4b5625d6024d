#pragma once

// The request records of the vendor self drivers, as the program sends them
// with DeviceIoControl: control codes, command numbers, sizes and field
// offsets. All fields are little-endian. The drivers read the caller's data
// (or write their answer) through a 32-bit data address in the record.

#include <cstddef>
#include <cstdint>

namespace updater {

/// The key of the driver's block commands (identify and block write).
inline constexpr std::uint32_t kIdentitySignature = 0x04A55A30;

/// The port self driver of Windows 98/ME: a 16-byte record on control code
/// 0x41; the command number selects the command.
namespace port_driver {
inline constexpr std::uint32_t kControlCode = 0x41;
inline constexpr std::size_t kRecordSize = 16;

inline constexpr std::size_t kCommand = 0;      // u32
inline constexpr std::size_t kParameter = 4;    // u32: the signature, the data length, or 0
inline constexpr std::size_t kAddress = 8;      // u32: device index << 24 | unit << 16 | count or mode
inline constexpr std::size_t kDataAddress = 12; // u32

inline constexpr std::uint32_t kDeviceCount = 0x0A;
inline constexpr std::uint32_t kUnitCount = 0x0B;
inline constexpr std::uint32_t kIdentifyA = 0x1F;
inline constexpr std::uint32_t kIdentifyB = 0x01;
inline constexpr std::uint32_t kFwRevision = 0x1A;
inline constexpr std::uint32_t kBlockWrite = 0x20;
inline constexpr std::uint32_t kJumpToIsp = 0x14;
inline constexpr std::uint32_t kGetIspStatus = 0x15;
inline constexpr std::uint32_t kSendIspData = 0x16;
}  // namespace port_driver

/// Bits of the address field of the port record (and of the count records
/// of the dynamic driver): device index, logical unit, block count or mode.
namespace driver_address {
inline constexpr unsigned kDeviceShift = 24;
inline constexpr unsigned kUnitShift = 16;
inline constexpr std::uint32_t kLowMask = 0xFFFF;
}  // namespace driver_address

/// The dynamic self driver of Windows 98: a 40-byte record that carries a
/// command block on control code 0x42, and a 16-byte record laid out like the
/// port driver's for its two count commands.
namespace dynamic_driver {
inline constexpr std::uint32_t kControlCode = 0x42;
inline constexpr std::size_t kRecordSize = 40;
inline constexpr std::size_t kCountRecordSize = 16;

inline constexpr std::size_t kRequest = 0;         // u32
inline constexpr std::size_t kDevice = 4;          // u32
inline constexpr std::size_t kUnit = 8;            // u32
inline constexpr std::size_t kCdb = 12;            // 12 bytes
inline constexpr std::size_t kCdbTerminator = 24;  // u8, 0; bytes 25..27 are not set
inline constexpr std::size_t kDirection = 28;      // u32
inline constexpr std::size_t kDataLength = 32;     // u32
inline constexpr std::size_t kDataAddress = 36;    // u32

inline constexpr std::uint32_t kDeviceCount = 1;
inline constexpr std::uint32_t kUnitCount = 2;
inline constexpr std::uint32_t kExecute = 3;

inline constexpr std::uint32_t kDirectionNone = 0;
inline constexpr std::uint32_t kDirectionIn = 1;
inline constexpr std::uint32_t kDirectionOut = 2;

/// The answer area of getIspStatus holds at least what the request announces.
inline constexpr std::uint32_t kStatusDataLength = 28;
inline constexpr std::uint32_t kStatusOutputSize = 8;
}  // namespace dynamic_driver

/// The NT self driver of Windows 2000: one 65,552-byte record whose control
/// code selects the command, CTL_CODE(FILE_DEVICE_UNKNOWN, 0x801..0x803,
/// METHOD_BUFFERED, FILE_ANY_ACCESS).
namespace nt_driver {
inline constexpr std::uint32_t kJumpToIsp = 0x222004;
inline constexpr std::uint32_t kGetIspStatus = 0x222008;
inline constexpr std::uint32_t kSendIspData = 0x22200C;

inline constexpr std::size_t kControlCodeAgain = 0;  // u32
inline constexpr std::size_t kDataLength = 4;        // u32
inline constexpr std::size_t kMode = 8;              // u32
inline constexpr std::size_t kAnswerAddress = 12;    // u32
inline constexpr std::size_t kData = 16;             // 65,536 bytes
inline constexpr std::size_t kDataSize = 65536;
inline constexpr std::size_t kRecordSize = kData + kDataSize;  // 65,552

/// What sendIspData names as its answer area.
inline constexpr std::size_t kScratchSize = 4;
}  // namespace nt_driver

}  // namespace updater
