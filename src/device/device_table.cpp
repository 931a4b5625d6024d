#include "device/device_table.h"

#include <algorithm>

namespace updater {

void clearIdentifyData(IdentifyData& identifyData) {
  identifyData.fill(0);
  identifyData[kIdentifyOemOffset] = 0xFF;
  identifyData[kIdentifyCemOffset] = 0xFF;
}

void clearDeviceTable(DeviceTable& table) {
  clearIdentifyData(table.identifyData);
  std::fill(table.entries.begin(), table.entries.end(), DeviceEntry{});
  table.deviceCount = 0;
  table.selectedLetterCount = 0;
  table.selectedIndex = 0;
}

const DeviceEntry& selectedEntry(const DeviceTable& table) {
  static const DeviceEntry kNoDevice{};
  if (table.selectedIndex >= kDeviceSlots) return kNoDevice;
  return table.entries[table.selectedIndex];
}

}  // namespace updater
