#include "device/slot_assignment.h"

#include "device/identify_record.h"

namespace updater {
namespace {

constexpr std::size_t kNoSlot = kDeviceSlots;

std::size_t findEntryWithSerial(const DeviceTable& table, const SerialNumber& serial) {
  for (std::size_t slot = 0; slot < kDeviceSlots; ++slot) {
    const DeviceEntry& entry = table.entries[slot];
    if (entry.inUse != 0 && entry.strSerial == serial) return slot;
  }
  return kNoSlot;
}

std::size_t findFreeSlot(const DeviceTable& table) {
  for (std::size_t slot = 0; slot < kDeviceSlots; ++slot) {
    if (table.entries[slot].inUse == 0) return slot;
  }
  return kNoSlot;
}

/// Gives the entry one more unit. Its letter goes to the unit's position;
/// the ASPI scan has none yet and reads the letters later.
SlotOutcome addUnit(DeviceTable& table, DeviceEntry& entry, const ScannedUnit& unit) {
  if (entry.letterCount >= kMaxDriveLetters) return SlotOutcome::UnitDropped;
  if (unit.kind == ScannedUnit::Kind::DriveLetter) entry.driveLetters[entry.letterCount] = unit.driveLetter;
  ++entry.letterCount;
  table.selectedLetterCount = entry.letterCount;
  return SlotOutcome::AddedUnit;
}

void takeSlot(DeviceTable& table, std::size_t slot, const ScannedUnit& unit) {
  DeviceEntry& entry = table.entries[slot];
  decodeIdentify(table, slot);
  entry.letterCount = 0;
  addUnit(table, entry, unit);
  if (unit.kind == ScannedUnit::Kind::AspiAddress) {
    entry.aspiAdapter = unit.aspiAdapter;
    entry.aspiTarget = unit.aspiTarget;
  }
  ++table.deviceCount;
}

}  // namespace

SlotAssignment assignSlot(DeviceTable& table, const ScannedUnit& unit) {
  const std::size_t known = findEntryWithSerial(table, identifySerial(table.identifyData));
  if (known != kNoSlot) return {addUnit(table, table.entries[known], unit), known};

  const std::size_t free = findFreeSlot(table);
  if (free == kNoSlot) return {SlotOutcome::TableFull, kNoSlot};
  takeSlot(table, free, unit);
  return {SlotOutcome::NewEntry, free};
}

}  // namespace updater
