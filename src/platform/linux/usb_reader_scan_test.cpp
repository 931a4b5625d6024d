#include "platform/linux/usb_reader_scan.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace updater {
namespace {

namespace fs = std::filesystem;

/// A sysfs tree as a Linux host shows it, in a folder of the test's own.
class FakeSysfs {
 public:
  FakeSysfs() : root_(fs::temp_directory_path() / ("sysfs-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(root_ / "class" / "scsi_generic");
  }
  ~FakeSysfs() { fs::remove_all(root_); }

  const fs::path& root() const { return root_; }

  fs::path usbDevice(const std::string& path, const std::string& vendor, const std::string& product) {
    const fs::path device = root_ / "devices" / path;
    fs::create_directories(device);
    write(device / "idVendor", vendor);
    write(device / "idProduct", product);
    write(device / "manufacturer", "Maker");
    write(device / "product", "Card Reader " + vendor);
    write(device / "serial", "SN" + product);
    return device;
  }

  fs::path interface(const fs::path& device, const std::string& name, const std::string& interfaceClass) {
    const fs::path dir = device / name;
    fs::create_directories(dir);
    write(dir / "bInterfaceClass", interfaceClass);
    return dir;
  }

  /// A SCSI device "h:0:0:lun" below `parent`, with SCSI generic node `sg`
  /// and, when given, block device `block`.
  void scsiUnit(const fs::path& parent, int host, int lun, const std::string& sg, const std::string& block) {
    const std::string target = "target" + std::to_string(host) + ":0:0";
    const fs::path device = parent / ("host" + std::to_string(host)) / target /
                            (std::to_string(host) + ":0:0:" + std::to_string(lun));
    fs::create_directories(device / "scsi_generic" / sg);
    if (!block.empty()) fs::create_directories(device / "block" / block);
    fs::create_directories(root_ / "class" / "scsi_generic" / sg);
    fs::create_directory_symlink(device, root_ / "class" / "scsi_generic" / sg / "device");
  }

 private:
  static void write(const fs::path& file, const std::string& text) { std::ofstream(file) << text << '\n'; }
  fs::path root_;
};

TEST(UsbReaderScan, FindsMassStorageUnitsGroupedByUsbDeviceInOrder) {
  FakeSysfs sysfs;
  // A SATA disk: a SCSI device with no USB interface above it.
  sysfs.scsiUnit(sysfs.root() / "devices" / "pci0000:00" / "ata1", 0, 0, "sg0", "sda");
  // The second reader on the bus, plugged in first: one unit, no disk yet.
  const fs::path second = sysfs.usbDevice("pci0000:00/usb2/2-1", "058f", "6366");
  sysfs.scsiUnit(sysfs.interface(second, "2-1:1.0", "08"), 3, 0, "sg3", "");
  // The first reader: two units, found in reverse order.
  const fs::path first = sysfs.usbDevice("pci0000:00/usb1/1-1", "1234", "5678");
  const fs::path storage = sysfs.interface(first, "1-1:1.0", "08");
  sysfs.scsiUnit(storage, 2, 1, "sg2", "sdc");
  sysfs.scsiUnit(storage, 2, 0, "sg1", "sdb");
  // A SCSI device below a USB interface of another class.
  const fs::path other = sysfs.usbDevice("pci0000:00/usb1/1-2", "aaaa", "bbbb");
  sysfs.scsiUnit(sysfs.interface(other, "1-2:1.0", "ff"), 4, 0, "sg4", "sdd");

  const std::vector<HostReader> readers = scanUsbReaders(sysfs.root());

  ASSERT_EQ(readers.size(), 2u);
  EXPECT_EQ(readers[0].usbName, "1-1");
  EXPECT_EQ(readers[0].vendorId, 0x1234);
  EXPECT_EQ(readers[0].productId, 0x5678);
  EXPECT_EQ(readers[0].manufacturer, "Maker");
  EXPECT_EQ(readers[0].product, "Card Reader 1234");
  EXPECT_EQ(readers[0].serial, "SN5678");
  ASSERT_EQ(readers[0].units.size(), 2u);
  EXPECT_EQ(readers[0].units[0].lun, 0);
  EXPECT_EQ(readers[0].units[0].genericName, "sg1");
  EXPECT_EQ(readers[0].units[0].displayName(), "sdb");
  EXPECT_EQ(readers[0].units[1].genericName, "sg2");
  EXPECT_EQ(readers[0].units[1].displayName(), "sdc");
  EXPECT_EQ(readers[1].usbName, "2-1");
  ASSERT_EQ(readers[1].units.size(), 1u);
  EXPECT_EQ(readers[1].units[0].displayName(), "sg3") << "a unit without a disk is named by its node";
}

TEST(UsbReaderScan, NoScsiGenericClassIsNoReader) {
  EXPECT_TRUE(scanUsbReaders(fs::temp_directory_path() / "no-such-sysfs").empty());
}

}  // namespace
}  // namespace updater
