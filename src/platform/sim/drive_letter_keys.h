#pragma once

// Where Windows 98/ME records the drive letters of a simulated reader: one
// registry key per logical unit under HKEY_LOCAL_MACHINE, in each of the
// three forms the program reads, made from the identity the reader reports
// in its identify block. Each key holds the value
// "CurrentDriveLetterAssignment": the letter and a terminating zero.

#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/machine_description.h"

namespace updater {

enum class DriveLetterKeyForm {
  PortDriver,     // "Enum\SCSI\________USB_DISK_DRIVER_0\KVSYSDRV&DISK&0000USB&VID_...", units "00".."04"
  DynamicDriver,  // "Enum\SCSI\<inquiry>\KV20SYSD&DISK&0000USB&VID_...", units "00".."04"
  UsbStorage,     // "Enum\SCSI\<inquiry>\USBSTOR&DISK&VEN_...", units "&000".."&500"
};

struct DriveLetterKey {
  DriveLetterKeyForm form;
  std::string key;
  char letter;
};

/// The key of `unit` in `form` for a reader reporting `identify`; empty
/// when the form has no key for that unit.
std::string driveLetterKey(DriveLetterKeyForm form, const IdentifyBlock& identify, std::size_t unit);

/// The keys of every unit in `letters` (unit 0 first), in the three forms.
std::vector<DriveLetterKey> driveLetterKeys(const IdentifyBlock& identify, std::string_view letters);

}  // namespace updater
