#include "device/pass_through/pass_through.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "app/program.h"
#include "app/route_operations.h"
#include "device/pass_through/pass_through_route.h"
#include "device/route_registry.h"
#include "isp/program_firmware.h"
#include "isp/verify_firmware.h"
#include "platform/forwarding_port.h"
#include "testing/program_harness.h"
#include "testing/route_runs.h"

namespace updater {
namespace {

template <std::size_t N>
void setIdentity(std::array<char, N>& field, std::string_view text) {
  field.fill(' ');
  std::copy(text.begin(), text.end(), field.begin());
}

ReaderDescription reader(std::string letters, std::string serial, ReaderInquiry inquiry = {}) {
  ReaderDescription description;
  description.letters = std::move(letters);
  description.serial = std::move(serial);
  description.inquiry = std::move(inquiry);
  description.hwRevision = {0x40, 0x23, 0x41};
  return description;
}

MachineDescription machineWith(std::vector<ReaderDescription> readers, std::string drives = "C") {
  MachineDescription machine = harnessMachine();
  machine.drives = std::move(drives);
  machine.readers = std::move(readers);
  return machine;
}

class PassThroughRoute : public ::testing::Test {
 protected:
  void build(const MachineDescription& machine) {
    routes_.reset();  // made over the previous harness's machine, they go before it
    harness_ = std::make_unique<ProgramHarness>(machine);
    program().osMode = OsMode::WinXp;
    // "Generic " + "USB Reader      " + "1.00": the machine's default reader.
    setIdentity(program().userIspData.FaInquiry, "Generic USB Reader      1.00");
    setIdentity(program().userIspData.FbInquiry, "Other   Reader B        1.00");
    routes_ = std::make_unique<RouteSet>(harness_->machine);
  }

  Program& program() { return *harness_->program; }
  SimMachine& machine() { return harness_->machine; }
  const DeviceTable& table() { return program().deviceTable; }
  int scan() { return buildDeviceTable(program(), *routes_); }
  PassThroughDrive& drive() {
    return static_cast<updater::PassThroughRoute&>(routes_->route(AccessRoute::PassThrough)).drive();
  }
  void programImage(std::uint32_t length) {
    programOn(program(), *routes_, AccessRoute::PassThrough, machine(), length);
  }
  void verifyImage(std::uint32_t length) {
    verifyOn(program(), *routes_, AccessRoute::PassThrough, machine(), length);
  }

  std::string letters(std::size_t slot) {
    const DeviceEntry& entry = table().entries[slot];
    return std::string(entry.driveLetters.begin(), entry.driveLetters.begin() + entry.letterCount);
  }

  void expectNothingOpen() {
    EXPECT_EQ(machine().openHandleCount(), 0u);
    EXPECT_TRUE(machine().violations().empty()) << machine().violations().front();
  }

  std::unique_ptr<ProgramHarness> harness_;
  std::unique_ptr<RouteSet> routes_;
};

TEST_F(PassThroughRoute, FindsReadersByEitherInquiryIdentityButNotByRevisionAlone) {
  build(machineWith({
      reader("E", "000000000001"),
      reader("F", "000000000002", {"Other", "Reader B", "9.99"}),
      reader("G", "000000000003", {"Nobody", "Else", "1.00"}),
  }));
  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 2u);
  EXPECT_EQ(letters(0), "E");
  EXPECT_EQ(letters(1), "F");
  EXPECT_EQ(table().entries[2].inUse, 0u);
  expectNothingOpen();
}

TEST_F(PassThroughRoute, TwoSlotsOfOneReaderMergeInLetterOrder) {
  build(machineWith({reader("HG", "000000000007")}));
  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 1u);
  EXPECT_EQ(letters(0), "GH");
  EXPECT_EQ(std::string(table().entries[0].strSerial.begin(), table().entries[0].strSerial.end()),
            "000000000007");
  expectNothingOpen();
}

TEST_F(PassThroughRoute, NoReaderGivesOneAndAnEmptyTable) {
  build(machineWith({}, "CDE"));
  EXPECT_EQ(scan(), 1);
  EXPECT_EQ(table().deviceCount, 0u);
  EXPECT_EQ(machine().requests("open").size(), 3u);
  EXPECT_EQ(machine().requests("inquiry").size(), 3u);
  EXPECT_EQ(machine().requests("deviceIdentify").size(), 0u);
  expectNothingOpen();
}

TEST_F(PassThroughRoute, DrivesAAndBAreNeverExamined) {
  build(machineWith({reader("B", "000000000001")}, "AC"));
  EXPECT_EQ(scan(), 1);
  const auto opens = machine().requests("open");
  ASSERT_EQ(opens.size(), 1u) << "only drive C";
  EXPECT_EQ(opens[0].reader, 0);
}

TEST_F(PassThroughRoute, SelfDriverNtAcceptsOnlyItsFixedIdentityAndFallsBackToTheOldIdentify) {
  ReaderDescription ntReader = reader("E", "000000000001", {"", "USB Reader", "01.A"});
  ntReader.failures = {{"driverIdentify13", 1, FailureKind::Transport}};
  ReaderDescription wrongRevision = reader("F", "000000000002", {"", "USB Reader", "01.B"});
  build(machineWith({ntReader, wrongRevision}));
  program().osMode = OsMode::Win2000;
  program().selfDriverChosen = true;

  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 1u);
  EXPECT_EQ(letters(0), "E");
  EXPECT_EQ(machine().requests("driverIdentify13").size(), 1u);
  EXPECT_EQ(machine().requests("driverIdentify03").size(), 1u);
  expectNothingOpen();
}

TEST_F(PassThroughRoute, IdentityCommandsIgnoreScsiStatusWhileVendorCommandsFailOnIt) {
  ReaderDescription checked = reader("E", "000000000001");
  checked.failures = {{"deviceIdentify", 1, FailureKind::ScsiStatus}, {"jumpToIsp", 1, FailureKind::ScsiStatus}};
  build(machineWith({checked}));
  EXPECT_EQ(scan(), 0) << "the identify completed, whatever its status";
  EXPECT_EQ(table().deviceCount, 1u);

  harness_->loadImage(testImage(100));
  programImage(100);
  const auto boxes = harness_->messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Error!!! JMP ISP STATUS ERROR!!!");
  expectNothingOpen();
}

TEST_F(PassThroughRoute, OpenSelectedDriveOnAnEmptySlotOpensNothing) {
  build(machineWith({reader("E", "000000000001")}));
  EXPECT_EQ(openSelectedDrive(drive(), program().deviceTable), 1);
  EXPECT_TRUE(machine().requests("open").empty());

  harness_->loadImage(testImage(100));
  programImage(100);
  EXPECT_TRUE(program().statusLog.ends_with("\nERROR: Access Disk Drive Failed!!!"));
  EXPECT_TRUE(harness_->messageBoxes().empty());
  expectNothingOpen();
}

TEST_F(PassThroughRoute, ProgramsTheSelectedReaderThenVerifiesIt) {
  build(machineWith({reader("E", "000000000001"), reader("F", "000000000002")}));
  ASSERT_EQ(scan(), 0);
  program().deviceTable.selectedIndex = 1;
  const auto image = testImage(65535, 9);
  harness_->loadImage(image);

  programImage(65535);
  EXPECT_EQ(program().tally.successCount, 1u);
  EXPECT_EQ(machine().reader(2).loader.flash, image);
  EXPECT_TRUE(machine().reader(1).loader.flash.empty());
  const auto transfers = machine().requests("sendIspData");
  ASSERT_EQ(transfers.size(), 2u);
  EXPECT_EQ(transfers[0].length, 65536u) << "the image and one zero byte";
  EXPECT_EQ(transfers[0].reader, 2);
  expectNothingOpen();

  verifyImage(65535);
  EXPECT_TRUE(program().statusLog.ends_with("\nSUCCESS! Verify STATUS:5a [Verify Data sucessfull]"));
  EXPECT_TRUE(harness_->messageBoxes().empty());
  expectNothingOpen();
}

// Keeps the data phase of the last data-out pass-through request.
class DataOutCapture : public ForwardingPort {
 public:
  using ForwardingPort::ForwardingPort;
  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override {
    namespace spt = scsi_pass_through;
    if (controlCode == spt::kControlCode && input.size() > spt::kDataArea &&
        input[spt::kDataIn] == spt::kScsiIoctlDataOut) {
      lastDataOut.assign(input.begin() + spt::kDataArea, input.end());
    }
    return ForwardingPort::deviceIoControl(handle, controlCode, input, output);
  }
  std::vector<Byte> lastDataOut;
};

TEST_F(PassThroughRoute, PaddingIsZerosNotWhatFollowsTheImageInTheBuffer) {
  build(machineWith({reader("E", "000000000001")}));
  DataOutCapture capture(machine());
  Program captured(capture, harness_->mainView, harness_->statusView);
  setIdentity(captured.userIspData.FaInquiry, "Generic USB Reader      1.00");
  captured.osMode = OsMode::WinXp;
  RouteSet routes(capture);
  ASSERT_EQ(buildDeviceTable(captured, routes), 0);

  const auto image = testImage(65535, 3);
  std::copy(image.begin(), image.end(), captured.firmwareImage.image.begin());
  captured.firmwareImage.image[65535] = 0xAB;  // a stale byte past the image
  programOn(captured, routes, AccessRoute::PassThrough, capture, 65535);

  EXPECT_EQ(captured.tally.successCount, 1u);
  ASSERT_EQ(capture.lastDataOut.size(), 65536u);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), capture.lastDataOut.begin()));
  EXPECT_EQ(capture.lastDataOut.back(), 0) << "the image and one zero byte";
  expectNothingOpen();
}

TEST_F(PassThroughRoute, FailedVendorTransferClosesTheDriveAndCountsTheError) {
  ReaderDescription failing = reader("E", "000000000001");
  failing.failures = {{"sendIspData", 2, FailureKind::Transport}};
  build(machineWith({failing}));
  ASSERT_EQ(scan(), 0);
  harness_->loadImage(testImage(100));
  programImage(100);
  const auto boxes = harness_->messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "ERROR!!! ISP VERIFY Transfer Data Error!!!");
  EXPECT_EQ(program().tally.errorCount, 1u);
  expectNothingOpen();
}

}  // namespace
}  // namespace updater
