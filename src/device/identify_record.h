#pragma once

// The identify block a reader returns (528 bytes; the self driver's form
// only the first 512) and its decoding into a device entry.

#include <array>
#include <cstddef>

#include "device/device_table.h"

namespace updater {

/// Byte offsets of the identify block; numbers are little-endian.
namespace identify_block {
inline constexpr std::size_t kVendorId = 8;          // u16, as in a USB device descriptor
inline constexpr std::size_t kProductId = 10;        // u16
inline constexpr std::size_t kManufacturer = 46;     // 24 characters
inline constexpr std::size_t kProduct = 72;          // 16 characters
inline constexpr std::size_t kSerial = 98;           // 12 UTF-16LE characters
inline constexpr std::size_t kFwRevision = 148;      // 8 bytes
inline constexpr std::size_t kInqProduct = 156;      // 16 characters
inline constexpr std::size_t kInqVendor = 176;       // 8 characters
inline constexpr std::size_t kInqRevision = 184;     // 4 characters
inline constexpr std::size_t kMsFwRevision = 188;    // 4 words, first character in the high byte
inline constexpr std::size_t kReserved = 204;        // 8 bytes, not interpreted
inline constexpr std::size_t kFwRevisionOrg = 378;   // 4 bytes
inline constexpr std::size_t kHwRevision = 382;      // 2 code bytes and a letter
inline constexpr std::size_t kUsb20FwRevision = 520; // 8 bytes
}  // namespace identify_block

using SerialNumber = std::array<char, 12>;

/// The reader's 12-character serial: the low bytes of the 12 UTF-16
/// characters of the serial string. A shorter serial leaves zeros.
SerialNumber identifySerial(const IdentifyData& identifyData);

/// Decodes the table's identify buffer into the entry at `slot` (0..9; any
/// other slot is left alone): marks it in use, copies the identity fields,
/// keeps the hardware revision only when it is a known one, and fills the
/// Memory Stick revision for the Memory Stick controller revision (zeros for
/// every other, also over what the slot held before). Sets
/// `hardwareRevisionText` to the six digits read, known or not. The scan
/// fields (`letterCount`, `driveLetters`, `aspiAdapter`, `aspiTarget`) are
/// not touched.
void decodeIdentify(DeviceTable& table, std::size_t slot);

}  // namespace updater
