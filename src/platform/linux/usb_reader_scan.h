#pragma once

// The USB card readers of a Linux host, as sysfs shows them: every SCSI
// device below a USB interface of the mass-storage class is a logical unit
// of the USB device above that interface, and the units of one USB device
// are one reader. The scan reads a sysfs tree given by its root, so tests
// hand it a tree of their own.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace updater {

/// One logical unit of a reader.
struct HostUnit {
  int lun = 0;
  /// The SCSI generic node's name ("sg1"), which requests go to.
  std::string genericName;
  /// The block device's name ("sdb"); empty while the disk driver has none.
  std::string blockName;

  /// How the operator sees the unit: its block device, else its SCSI generic node.
  const std::string& displayName() const { return blockName.empty() ? genericName : blockName; }
};

/// One USB reader: the USB device and its logical units, lowest unit first.
struct HostReader {
  /// The USB device's sysfs name ("1-1"), which orders the readers.
  std::string usbName;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string manufacturer;
  std::string product;
  std::string serial;
  std::vector<HostUnit> units;
};

/// Every USB mass-storage reader under `sysfsRoot` (normally "/sys"), in
/// the order of their USB device names; none when the tree has no SCSI
/// generic class or cannot be read.
std::vector<HostReader> scanUsbReaders(const std::filesystem::path& sysfsRoot);

}  // namespace updater
