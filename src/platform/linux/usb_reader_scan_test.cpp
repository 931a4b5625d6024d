#include "platform/linux/usb_reader_scan.h"

#include <gtest/gtest.h>

#include "testing/fake_sysfs.h"

namespace updater {
namespace {

namespace fs = std::filesystem;

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
