#pragma once

// Where Windows 98/ME keep the drive letters of a reader found on the ASPI
// layer: one registry key per logical unit under HKEY_LOCAL_MACHINE, named
// after the reader's inquiry texts and serial number, whose value
// "CurrentDriveLetterAssignment" holds the letter.

#include <cstddef>
#include <string>

#include "device/device_table.h"
#include "platform/port.h"

namespace updater {

/// The key of logical unit `unit` of `entry`:
/// "Enum\SCSI\" + vendor (8) + product (16) + revision's first character,
/// "\USBSTOR&DISK&VEN_" + vendor, "&PROD_" + product, "&REV_" + revision
/// (those three without their trailing blanks), "&" + serial, and "&000" to
/// "&500" for units 0 to 5. Blanks become '_'; zero bytes add nothing.
std::string aspiDriveLetterKey(const DeviceEntry& entry, std::size_t unit);

/// Reads the letter of every recorded unit of every recorded reader. A key
/// or value that cannot be read leaves its letter alone.
void readAspiDriveLetters(Port& port, DeviceTable& table);

}  // namespace updater
