#pragma once

// A sysfs tree as a Linux host shows its USB card readers, in a folder of
// the test's own: USB devices with their ids and strings, their interfaces
// with a class, and SCSI devices below them with their SCSI generic node and
// block device, linked from class/scsi_generic as the kernel links them.

#include <filesystem>
#include <string>

namespace updater {

class FakeSysfs {
 public:
  FakeSysfs();
  ~FakeSysfs();
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  const std::filesystem::path& root() const { return root_; }

  /// A USB device at `path` below devices/, with manufacturer "Maker",
  /// product "Card Reader VID" and serial "SNPID".
  std::filesystem::path usbDevice(const std::string& path, const std::string& vendorId, const std::string& productId);
  /// An interface `name` of `device` with class `interfaceClass` ("08").
  std::filesystem::path interface(const std::filesystem::path& device, const std::string& name,
                                  const std::string& interfaceClass);
  /// A SCSI device "host:0:0:lun" below `parent`, with SCSI generic node
  /// `sg` and, unless empty, block device `block`.
  void scsiUnit(const std::filesystem::path& parent, int host, int lun, const std::string& sg,
                const std::string& block);

 private:
  std::filesystem::path root_;
};

}  // namespace updater
