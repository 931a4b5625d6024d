#pragma once

// The detected readers: one `DeviceEntry` per reader in ten fixed slots, the
// operator's selection, and the identify buffer that every scan reads a
// reader's identity into before it is decoded into a slot.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/bytes.h"
#include "device/hardware_revision.h"

namespace updater {

inline constexpr std::size_t kDeviceSlots = 10;
inline constexpr std::size_t kIdentifyLength = 528;
/// Drive letters one entry can record.
inline constexpr std::size_t kMaxDriveLetters = 5;

/// The identify response of the reader being examined.
using IdentifyData = std::array<Byte, kIdentifyLength>;

/// One detected reader. Text fields are fixed-width, not terminated, and
/// compared byte by byte. Fields keep the order and widths of the reader's
/// record; nothing relies on the host layout.
struct DeviceEntry {
  std::uint32_t inUse = 0;  // 1 when the slot holds a device
  std::uint8_t letterCount = 0;
  std::array<char, kMaxDriveLetters> driveLetters{};  // element i belongs to logical unit i
  std::array<Byte, 8> reservedIdentify{};               // kept, never interpreted
  std::array<char, 24> strManufacture{};
  std::array<char, 16> strProduct{};
  std::array<char, 12> strSerial{};  // the key that tells two readers apart
  std::array<char, 8> inqManufacture{};
  std::array<char, 16> inqProduct{};
  std::array<char, 4> inqRevision{};
  std::array<Byte, 4> vidPid{};  // vendor id high, low, product id high, low
  /// major, minor, sub, year digit, month, day, OEM code, CEM code
  std::array<Byte, 8> usbFwRevision{};
  std::array<char, 8> msFwRevision{};  // filled for one hardware revision only
  /// two code bytes and a letter; all zero when the code is not a known one
  HardwareRevision usbHwRevision{};
  std::uint8_t aspiAdapter = 0;
  std::uint8_t aspiTarget = 0;
  std::array<Byte, 8> usb20FwRevision{};  // same layout as usbFwRevision
  /// major, minor, year digit (high nibble) and month (low nibble), day
  std::array<Byte, 4> usbFwRevisionOrg{};
};

struct DeviceTable {
  std::array<DeviceEntry, kDeviceSlots> entries{};
  std::uint32_t deviceCount = 0;
  /// The device every command addresses; chosen in the "Device Sel" list.
  std::uint32_t selectedIndex = 0;
  /// Letter count of the device last merged or selected.
  std::uint32_t selectedLetterCount = 0;
  IdentifyData identifyData{};
  /// Six lower-case hex digits of the hardware revision last decoded or
  /// reported.
  std::string hardwareRevisionText;
};

/// Offsets of the OEM and CEM codes in the identify block; a cleared buffer
/// holds 0xFF there until a reader overwrites them.
inline constexpr std::size_t kIdentifyOemOffset = 154;
inline constexpr std::size_t kIdentifyCemOffset = 155;

/// Zeros the identify buffer, then sets the OEM and CEM bytes to 0xFF.
void clearIdentifyData(IdentifyData& identifyData);

/// Clears what a new enumeration starts from: the identify buffer, all ten
/// entries and the three counters. `hardwareRevisionText` is left alone.
void clearDeviceTable(DeviceTable& table);

/// The entry at `selectedIndex`; an index outside the ten slots selects
/// nothing and reads as an empty entry.
const DeviceEntry& selectedEntry(const DeviceTable& table);

}  // namespace updater
