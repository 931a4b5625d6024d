#pragma once

// The device scans of the Windows 98/ME self drivers. The driver numbers the
// devices itself and device j goes into slot j; its drive letters come from
// the registry, under a key made from the decoded identity and the unit.

#include <cstddef>
#include <string>

#include "device/access_route.h"
#include "device/device_table.h"
#include "device/self_driver/self_driver.h"

namespace updater {

/// Result of `scanSelfDriver`: the scan ran.
inline constexpr int kScanCompleted = 0;
/// A dynamic-driver device did not answer its identify.
inline constexpr int kScanIdentifyFailed = 1;
/// A port-driver device answered neither identify nor the revision query.
inline constexpr int kScanDeviceSilent = 2;

/// The registry value that holds a unit's drive letter.
inline constexpr std::string_view kDriveLetterValue = "CurrentDriveLetterAssignment";

/// Scans the devices of the driver of `route` (SelfDriverPort or
/// SelfDriverDynamic) on the open Windows 98/ME handle into `table`.
/// A device count of 0 or above 127 is taken as one device with one unit;
/// only the first ten devices are examined, and `deviceCount` is at most 10.
/// A device with 0 or more than five units keeps its slot empty. Returns
/// kScanCompleted, or the failure result with the handle closed and the slots
/// filled so far kept. A completed scan leaves `selectedIndex` 0; the dynamic
/// driver's scan closes the handle (which unloads the driver).
int scanSelfDriver(Driver9x& driver, AccessRoute route, DeviceTable& table);

/// The registry key (under HKEY_LOCAL_MACHINE) of unit `unit` of `entry` on
/// the driver of `route`.
std::string driveLetterKey(AccessRoute route, const DeviceEntry& entry, std::size_t unit);

}  // namespace updater
