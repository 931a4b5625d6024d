#include "device/self_driver/self_driver_scan.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/program.h"
#include "app/route_operations.h"
#include "device/route_registry.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

constexpr WindowsVersion kWin98{false, 4, 10};
constexpr WindowsVersion kWinMe{false, 4, 90};

ReaderDescription reader(std::string letters, std::string serial) {
  ReaderDescription description;
  description.letters = std::move(letters);
  description.serial = std::move(serial);
  description.vendorId = 0x1234;
  description.productId = 0x5678;
  description.hwRevision = {0x40, 0x23, 0x41};
  return description;
}

MachineDescription machineWith(std::vector<ReaderDescription> readers, WindowsVersion windows = kWin98) {
  MachineDescription machine = harnessMachine();
  machine.windows = windows;
  machine.selfDrivers = {"UDSKIO", "KV20DISK"};
  machine.readers = std::move(readers);
  return machine;
}

class SelfDriverScan : public ::testing::Test {
 protected:
  void build(const MachineDescription& machine, std::string driverName = "UDSKIO.SYS",
             OsMode osMode = OsMode::Win98, bool selfDriverChosen = false) {
    routes_.reset();  // made over the previous harness's machine, they go before it
    harness_ = std::make_unique<ProgramHarness>(machine);
    program().osMode = osMode;
    program().selfDriverChosen = selfDriverChosen;
    program().selectedDriverName = std::move(driverName);
    program().driverKind = driverKindOf(program().selectedDriverName);
    routes_ = std::make_unique<RouteSet>(harness_->machine);
  }

  /// What "GetInfo" does on a self-driver route: open the driver, then scan.
  int getInfo() {
    EXPECT_EQ(openSelfDriver(program(), *routes_), 0);
    return buildDeviceTable(program(), *routes_);
  }

  Program& program() { return *harness_->program; }
  SimMachine& machine() { return harness_->machine; }
  const DeviceTable& table() { return program().deviceTable; }
  const DeviceEntry& entry(std::size_t slot) { return table().entries[slot]; }

  std::string letters(std::size_t slot) {
    return std::string(entry(slot).driveLetters.begin(), entry(slot).driveLetters.begin() + entry(slot).letterCount);
  }

  void expectNothingOpen() {
    closeDevice(program(), *routes_);
    EXPECT_EQ(machine().openHandleCount(), 0u);
    EXPECT_EQ(machine().openRegistryKeyCount(), 0u);
    EXPECT_TRUE(machine().violations().empty()) << machine().violations().front();
  }

  std::unique_ptr<ProgramHarness> harness_;
  std::unique_ptr<RouteSet> routes_;
};

TEST_F(SelfDriverScan, PortDriverPutsDeviceJIntoSlotJWithItsRegistryLetters) {
  // Equal serials do not merge: the driver numbers the devices itself. (The
  // product ids tell their registry keys apart.)
  ReaderDescription second = reader("G", "");
  second.productId = 0x5679;
  build(machineWith({reader("EF", ""), second, reader("HIJKL", "000000000003")}));
  program().deviceTable.selectedIndex = 2;
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(table().deviceCount, 3u);
  EXPECT_EQ(letters(0), "EF");
  EXPECT_EQ(letters(1), "G");
  EXPECT_EQ(letters(2), "HIJKL") << "units 00 to 04";
  EXPECT_EQ(entry(2).inUse, 1u);
  EXPECT_EQ(entry(2).vidPid, (std::array<Byte, 4>{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(std::string(entry(2).strSerial.begin(), entry(2).strSerial.end()), "000000000003");
  EXPECT_EQ(table().selectedIndex, 0u);
  EXPECT_EQ(machine().openHandleCount(), 1u) << "the port driver stays open for the job";
  for (const auto& io : machine().requests()) EXPECT_EQ(io.route, "SelfDriverPort") << io.name;
  expectNothingOpen();
}

TEST_F(SelfDriverScan, DeviceCountsOutsideOneTo127MeanOneDeviceWithOneUnit) {
  struct Row {
    const char* name;
    std::optional<int> deviceCount;
    bool countFails;
  };
  const Row rows[] = {{"0 devices", 0, false}, {"200 devices", 200, false}, {"failed count", std::nullopt, true}};
  for (const auto& row : rows) {
    MachineDescription description = machineWith({reader("EF", "000000000001"), reader("G", "000000000002")});
    description.selfDriverDeviceCount = row.deviceCount;
    if (row.countFails) description.readers[0].failures = {{"deviceCount", 1, FailureKind::Transport}};
    build(description);
    EXPECT_EQ(getInfo(), kScanCompleted) << row.name;
    EXPECT_EQ(table().deviceCount, 1u) << row.name;
    EXPECT_EQ(letters(0), "E") << row.name << ": one unit";
    EXPECT_EQ(entry(1).inUse, 0u) << row.name;
    EXPECT_TRUE(machine().requests("unitCount").empty()) << row.name;
    expectNothingOpen();
  }
}

TEST_F(SelfDriverScan, OnlyTheFirstTenDevicesAreExamined) {
  std::vector<ReaderDescription> readers;
  for (char letter = 'E'; letter < 'E' + 12; ++letter) {
    readers.push_back(reader(std::string(1, letter), std::string(1, letter)));
  }
  build(machineWith(readers));
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(table().deviceCount, 10u);
  EXPECT_EQ(machine().requests("unitCount").size(), 10u);
  EXPECT_EQ(letters(9), "N");
  expectNothingOpen();
}

TEST_F(SelfDriverScan, ADeviceWithNoneOrSixUnitsKeepsItsSlotEmptyAndTheNextIsExamined) {
  ReaderDescription six = reader("E", "000000000001");
  six.units = 6;
  ReaderDescription failedCount = reader("G", "000000000003");
  failedCount.failures = {{"unitCount", 1, FailureKind::Transport}};
  build(machineWith({six, reader("F", "000000000002"), failedCount, reader("H", "000000000004")}));
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(table().deviceCount, 4u);
  EXPECT_EQ(entry(0).inUse, 0u);
  EXPECT_EQ(entry(0).letterCount, 0);
  EXPECT_EQ(letters(1), "F");
  EXPECT_EQ(entry(2).inUse, 0u) << "a failed unit count reads as 0";
  EXPECT_EQ(letters(3), "H");
  const auto identifies = machine().requests("identifyA");
  ASSERT_EQ(identifies.size(), 2u);
  EXPECT_EQ(identifies[0].reader, 2);
  EXPECT_EQ(identifies[1].reader, 4);
  expectNothingOpen();
}

TEST_F(SelfDriverScan, IdentifyFallsBackToBAndTheRevisionQueryTellsAbsentFromSilent) {
  ReaderDescription onlyB = reader("E", "000000000001");
  onlyB.failures = {{"identifyA", 1, FailureKind::Transport}};
  ReaderDescription noIdentity = reader("F", "000000000002");
  noIdentity.failures = {{"identifyA", 1, FailureKind::Transport}, {"identifyB", 1, FailureKind::Transport}};
  build(machineWith({onlyB, noIdentity, reader("G", "000000000003")}));
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(table().deviceCount, 3u) << "the device without an identity is counted";
  EXPECT_EQ(letters(0), "E");
  EXPECT_EQ(entry(1).inUse, 0u);
  EXPECT_EQ(entry(1).letterCount, 1) << "its letter count stays";
  EXPECT_EQ(letters(2), "G");
  expectNothingOpen();
}

TEST_F(SelfDriverScan, ASilentPortDeviceEndsTheScanWithTheDriverClosed) {
  ReaderDescription silent = reader("F", "000000000002");
  silent.failures = {{"identifyA", 1, FailureKind::Transport},
                     {"identifyB", 1, FailureKind::Transport},
                     {"fwRevision", 1, FailureKind::Transport}};
  build(machineWith({reader("E", "000000000001"), silent, reader("G", "000000000003")}));
  EXPECT_EQ(getInfo(), kScanDeviceSilent);
  EXPECT_EQ(letters(0), "E") << "slots filled so far stay";
  EXPECT_EQ(entry(2).inUse, 0u);
  EXPECT_EQ(table().selectedIndex, 1u);
  EXPECT_EQ(machine().openHandleCount(), 0u);
  EXPECT_EQ(machine().requests("unitCount").size(), 2u);
  expectNothingOpen();
}

TEST_F(SelfDriverScan, TheUsb20RevisionIsKeptOnlyWithItsMarkByte) {
  ReaderDescription marked = reader("E", "000000000001");
  marked.usb20FwRevision = {2, 1, 0, 7, 12, 25, 0x07, 0x10};
  ReaderDescription unmarked = reader("F", "000000000002");
  unmarked.usb20FwRevision = {2, 1, 0, 7, 12, 25, 0x06, 0x10};
  build(machineWith({marked, unmarked}));
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(entry(0).usb20FwRevision, marked.usb20FwRevision);
  EXPECT_EQ(entry(1).usb20FwRevision, (std::array<Byte, 8>{}));
  expectNothingOpen();
}

TEST_F(SelfDriverScan, AMissingRegistryValueLeavesThatLetterZero) {
  build(machineWith({reader("EFGHI", "000000000001")}));
  machine().registry.erase(
      "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&VID_1234&PID_5678&00000000000104");
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(entry(0).letterCount, 5);
  EXPECT_EQ(entry(0).driveLetters, (std::array<char, 5>{'E', 'F', 'G', 'H', 0}));
  expectNothingOpen();
}

TEST_F(SelfDriverScan, OnlyTheFirstCharacterOfTheValueReachesTheEntry) {
  build(machineWith({reader("EFGHI", "000000000001"), reader("J", "000000000002")}));
  const std::string key = "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&VID_1234&PID_5678&";
  // A value that fills the whole buffer at the fifth unit, and one too long
  // for it at the first unit of the next device.
  machine().registry[key + "00000000000104"]["CurrentDriveLetterAssignment"] = {'I', 'X', 'Y', 'Z', 0};
  machine().registry[key + "00000000000200"]["CurrentDriveLetterAssignment"] = {'J', ':', '\\', 'X', 'Y', 0};
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(entry(0).driveLetters, (std::array<char, 5>{'E', 'F', 'G', 'H', 'I'}));
  EXPECT_EQ(entry(0).reservedIdentify, (std::array<Byte, 8>{})) << "nothing written past the letters";
  EXPECT_EQ(entry(1).driveLetters[0], 0) << "a value that does not fit is not read";
  expectNothingOpen();
}

TEST_F(SelfDriverScan, DynamicDriverScansUnderItsOwnKeysAndUnloadsAfterwards) {
  ReaderDescription first = reader("EF", "000000000001");
  first.identifyInquiry = ReaderInquiry{"Maker", "Card Reader", "2.00"};
  build(machineWith({first, reader("G", "000000000002")}), "KV20DISK.PDR");
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(table().deviceCount, 2u);
  EXPECT_EQ(letters(0), "EF");
  EXPECT_EQ(letters(1), "G");
  EXPECT_EQ(machine().openHandleCount(), 0u) << "the scan closed the driver";
  const auto identifies = machine().requests("deviceIdentify");
  ASSERT_EQ(identifies.size(), 2u);
  EXPECT_EQ(identifies[1].route, "SelfDriverDynamic");
  EXPECT_EQ(identifies[1].reader, 2);
  EXPECT_EQ(identifies[1].length, 528u);
  expectNothingOpen();
}

TEST_F(SelfDriverScan, ADynamicDeviceWithoutIdentifyEndsTheScanWithResultOne) {
  ReaderDescription silent = reader("F", "000000000002");
  silent.failures = {{"deviceIdentify", 1, FailureKind::Transport}};
  build(machineWith({reader("E", "000000000001"), silent}), "KV20DISK.PDR");
  EXPECT_EQ(getInfo(), kScanIdentifyFailed);
  EXPECT_EQ(letters(0), "E");
  EXPECT_EQ(machine().openHandleCount(), 0u);
  expectNothingOpen();
}

TEST_F(SelfDriverScan, Kv20DiskOnMeWithTheSelfDriverTakesThePortRoute) {
  build(machineWith({reader("E", "000000000001")}, kWinMe), "KV20DISK.PDR", OsMode::WinMe, true);
  EXPECT_EQ(getInfo(), kScanCompleted);
  EXPECT_EQ(letters(0), "E");
  EXPECT_EQ(machine().requests("open").at(0).route, "SelfDriverPort");
  EXPECT_EQ(machine().requests("identifyA").size(), 1u);
  EXPECT_EQ(machine().openHandleCount(), 1u);
  expectNothingOpen();
}

TEST(DriveLetterKey, EachDriverFormNamesTheUnitInTwoDigits) {
  DeviceEntry entry;
  entry.vidPid = {0x12, 0x34, 0xAB, 0x0C};
  const std::string serial = "SN01";
  std::copy(serial.begin(), serial.end(), entry.strSerial.begin());  // the rest stays zero
  const std::string inquiry = "Generic USB Reader      1.00";
  std::copy(inquiry.begin(), inquiry.begin() + 8, entry.inqManufacture.begin());
  std::copy(inquiry.begin() + 8, inquiry.begin() + 24, entry.inqProduct.begin());
  std::copy(inquiry.begin() + 24, inquiry.end(), entry.inqRevision.begin());
  struct Row {
    const char* name;
    AccessRoute route;
    std::size_t unit;
    const char* key;
  };
  const Row rows[] = {
      {"port, first unit", AccessRoute::SelfDriverPort, 0,
       "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&VID_1234&PID_ab0c&SN0100"},
      {"port, fifth unit", AccessRoute::SelfDriverPort, 4,
       "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&VID_1234&PID_ab0c&SN0104"},
      {"dynamic, first unit", AccessRoute::SelfDriverDynamic, 0,
       "Enum\\SCSI\\Generic_USB_Reader______1\\KV20SYSD&DISK&0000USB&VID_1234&PID_ab0c&SN0100"},
      {"dynamic, fifth unit", AccessRoute::SelfDriverDynamic, 4,
       "Enum\\SCSI\\Generic_USB_Reader______1\\KV20SYSD&DISK&0000USB&VID_1234&PID_ab0c&SN0104"},
  };
  for (const auto& row : rows) EXPECT_EQ(driveLetterKey(row.route, entry, row.unit), row.key) << row.name;
}

}  // namespace
}  // namespace updater
