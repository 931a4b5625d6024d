#pragma once

// Where the drive-letter and ASPI scans put a reader they found: readers are
// told apart by their 12-character serial, so a second logical unit of a
// known reader (a second card slot, or a second reader with the same or an
// empty serial) adds a letter to the existing entry instead of a new one.

#include <cstddef>
#include <cstdint>

#include "device/device_table.h"

namespace updater {

/// Where a scan found the unit: its drive letter (drive-letter scans) or its
/// ASPI address (the ASPI scan, which learns the letters later).
struct ScannedUnit {
  enum class Kind { DriveLetter, AspiAddress };
  Kind kind = Kind::DriveLetter;
  char driveLetter = 0;
  std::uint8_t aspiAdapter = 0;
  std::uint8_t aspiTarget = 0;

  static ScannedUnit atDrive(char letter) { return {Kind::DriveLetter, letter, 0, 0}; }
  static ScannedUnit atAspi(std::uint8_t adapter, std::uint8_t target) {
    return {Kind::AspiAddress, 0, adapter, target};
  }
};

enum class SlotOutcome {
  NewEntry,     // first unit of a reader: a free slot took it, decoded
  AddedUnit,    // another unit of a reader already in the table
  UnitDropped,  // the reader already has five units; the unit is not recorded
  TableFull,    // a new reader, but all ten slots are in use
};

struct SlotAssignment {
  SlotOutcome outcome;
  std::size_t slot;  // the entry concerned; kDeviceSlots for TableFull
};

/// Records the unit whose identify block is in the table's identify buffer.
/// An entry in use with the same serial (slots 0 to 9, first match) gets one
/// more unit, and its letter when the scan has one; otherwise the first free
/// slot gets the reader with one unit, decoded from the buffer, its letter or
/// ASPI address, and `deviceCount` rises by one. `selectedLetterCount` takes
/// the entry's new unit count. An entry never holds more than five units.
SlotAssignment assignSlot(DeviceTable& table, const ScannedUnit& unit);

}  // namespace updater
