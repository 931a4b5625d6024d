// The self-driver routes end to end on the simulated machine: the opens, the
// records the program sends (byte for byte, against records spelled out
// apart from the program's layout), and whole programming and verify runs.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/program.h"
#include "app/route_operations.h"
#include "device/route_registry.h"
#include "device/self_driver/self_driver.h"
#include "device/self_driver/self_driver_commands.h"
#include "device/self_driver/self_driver_port_route.h"
#include "isp/program_firmware.h"
#include "isp/verify_firmware.h"
#include "jobs/ms_update.h"
#include "testing/driver_request.h"
#include "platform/forwarding_port.h"
#include "testing/program_harness.h"
#include "testing/route_runs.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr WindowsVersion kWin98{false, 4, 10};
constexpr WindowsVersion kWin2000{true, 5, 0};
constexpr std::uint32_t kSignature = 0x04A55A30;

ReaderDescription reader(std::string letters, std::string serial) {
  ReaderDescription description;
  description.letters = std::move(letters);
  description.serial = std::move(serial);
  // The identity the NT self driver's readers report on their drive letters.
  description.inquiry = {"", "USB Reader", "01.A"};
  description.hwRevision = {0x40, 0x23, 0x41};
  return description;
}

MachineDescription twoReaders(WindowsVersion windows, std::vector<std::string> drivers = {"UDSKIO", "KV20DISK"}) {
  MachineDescription machine = harnessMachine();
  machine.windows = windows;
  machine.selfDrivers = std::move(drivers);
  machine.readers = {reader("E", "000000000001"), reader("F", "000000000002")};
  return machine;
}

/// One self-driver route and the choices that lead to it.
struct RouteCase {
  const char* name;
  AccessRoute route;
  WindowsVersion windows;
  const char* driverName;
  OsMode osMode;
  bool selfDriverChosen;
};

const RouteCase kPortCase = {"port", AccessRoute::SelfDriverPort, kWin98, "UDSKIO.SYS", OsMode::Win98, false};
const RouteCase kDynamicCase = {"dynamic", AccessRoute::SelfDriverDynamic, kWin98, "KV20DISK.PDR", OsMode::Win98,
                                false};
const RouteCase kNtCase = {"NT", AccessRoute::SelfDriverNt, kWin2000, "UDSKIO.SYS", OsMode::Win2000, true};

void chooseRoute(Program& program, const RouteCase& row) {
  program.osMode = row.osMode;
  program.selfDriverChosen = row.selfDriverChosen;
  program.selectedDriverName = row.driverName;
  program.driverKind = driverKindOf(row.driverName);
}

void expectNothingOpen(SimMachine& machine, const char* name) {
  EXPECT_EQ(machine.openHandleCount(), 0u) << name;
  EXPECT_EQ(machine.openRegistryKeyCount(), 0u) << name;
  EXPECT_TRUE(machine.violations().empty()) << name << ": " << machine.violations().front();
}

TEST(SelfDriverDeviceName, IsTheDriverNameBeforeItsFirstDot) {
  struct Row {
    const char* driverName;
    const char* deviceName;
  };
  const Row rows[] = {
      {"UDSKIO.SYS", "\\\\.\\UDSKIO"},
      {"KV20DISK.PDR", "\\\\.\\KV20DISK"},
      {"QM_URDR.PDR", "\\\\.\\QM_URDR"},
      {"A.B.C", "\\\\.\\A"},
      {"ABCDEFGHIJKLMN.SYS", "\\\\.\\ABCDEFGHIJKLMN"},
      {"ABCDEFGHIJKLMNO.SYS", "\\\\.\\"},
      {".SYS", "\\\\.\\"},
      {"UDSKIO", "\\\\.\\"},
      {"", "\\\\.\\"},
  };
  for (const auto& row : rows) EXPECT_EQ(selfDriverDeviceName(row.driverName), row.deviceName) << row.driverName;
}

TEST(SelfDriverOpen, TheNinetyEightDriverStaysOpenAndAReopenClosesTheOldHandle) {
  ProgramHarness harness(twoReaders(kWin98));
  Program& program = *harness.program;
  chooseRoute(program, kPortCase);
  RouteSet routes(harness.machine);
  EXPECT_EQ(openSelfDriver(program, routes), 0);
  EXPECT_EQ(openSelfDriver(program, routes), 0);
  EXPECT_EQ(harness.machine.openHandleCount(), 1u);
  EXPECT_EQ(harness.machine.requests("close").size(), 1u);

  program.selectedDriverName = "QM_URDR.PDR";  // not installed
  EXPECT_EQ(openSelfDriver(program, routes), 1);
  EXPECT_FALSE(routes.selfDriverPort().driver().handle().isOpen());
  EXPECT_TRUE(harness.transcript.ofKind(EventKind::Console).empty());
  expectNothingOpen(harness.machine, "port");
}

TEST(SelfDriverOpen, TheNtOpenOnlyProbesAndReportsAMissingDriverOnTheConsole) {
  ProgramHarness harness(twoReaders(kWin2000));
  Program& program = *harness.program;
  chooseRoute(program, kNtCase);
  RouteSet routes(harness.machine);
  EXPECT_EQ(openSelfDriver(program, routes), 0);
  EXPECT_EQ(harness.machine.requests("open").size(), 1u);
  EXPECT_EQ(harness.machine.requests("close").size(), 1u);
  EXPECT_EQ(harness.machine.openHandleCount(), 0u) << "the NT driver's handle is not kept";

  program.selectedDriverName = "KVDKPDRV.PDR";
  EXPECT_EQ(openSelfDriver(program, routes), 1);
  const auto console = harness.transcript.ofKind(EventKind::Console);
  ASSERT_EQ(console.size(), 1u);
  EXPECT_EQ(console[0].text, "Loading UdskIO.Sys is Failed!");

  harness.loadImage(testImage(100));
  programOn(program, routes, AccessRoute::SelfDriverNt, harness.machine, 100);
  EXPECT_EQ(program.statusLog, "\nERROR: Loading UdskIO.Sys is Failed!!!");
  EXPECT_TRUE(harness.statusWindowOps().empty());
  EXPECT_EQ(harness.transcript.ofKind(EventKind::Console).size(), 2u);
  expectNothingOpen(harness.machine, "NT");
}

TEST(SelfDriverRoutes, ProgramAndVerifyTheSelectedReaderOnEachRoute) {
  struct Row {
    RouteCase route;
    std::uint32_t selectedIndex;
    int reader;             // the reader the run must reach
    std::uint32_t sent;     // data phase of the 1000-byte image
  };
  const Row rows[] = {
      {kPortCase, 1, 2, 1000},
      {kDynamicCase, 1, 2, 1024},
      {kNtCase, 0, 1, 1000},
  };
  for (const auto& row : rows) {
    const char* name = row.route.name;
    ProgramHarness harness(twoReaders(row.route.windows));
    Program& program = *harness.program;
    chooseRoute(program, row.route);
    RouteSet routes(harness.machine);
    ASSERT_EQ(openSelfDriver(program, routes), 0) << name;
    ASSERT_EQ(buildDeviceTable(program, routes), 0) << name;
    ASSERT_EQ(program.deviceTable.deviceCount, 2u) << name;
    program.deviceTable.selectedIndex = row.selectedIndex;
    const auto image = testImage(1000, 5);
    harness.loadImage(image);
    const std::size_t scanRequests = harness.machine.requests().size();

    ASSERT_EQ(openSelfDriver(program, routes), 0) << name;  // as the ISP command does before the job
    programOn(program, routes, row.route.route, harness.machine, 1000);
    EXPECT_EQ(program.tally.successCount, 1u) << name;
    EXPECT_TRUE(harness.messageBoxes().empty()) << name;
    EXPECT_EQ(harness.machine.reader(row.reader).loader.flash, image) << name;
    EXPECT_TRUE(harness.machine.reader(3 - row.reader).loader.flash.empty()) << name;
    const auto transfers = harness.machine.requests("sendIspData");
    ASSERT_EQ(transfers.size(), 2u) << name;
    EXPECT_EQ(transfers[0].length, row.sent) << name;
    EXPECT_EQ(transfers[0].route, routeName(row.route.route)) << name;
    for (std::size_t i = scanRequests; i < harness.machine.requests().size(); ++i) {
      const auto& io = harness.machine.requests()[i];
      if (io.name == "open" || io.name == "close") continue;
      EXPECT_EQ(io.reader, row.reader) << name << ": " << io.name << " reaches the selected device";
    }
    expectNothingOpen(harness.machine, name);

    ASSERT_EQ(openSelfDriver(program, routes), 0) << name;
    verifyOn(program, routes, row.route.route, harness.machine, 1000);
    EXPECT_TRUE(program.statusLog.ends_with("\nSUCCESS! Verify STATUS:5a [Verify Data sucessfull]")) << name;
    EXPECT_TRUE(harness.messageBoxes().empty()) << name;
    expectNothingOpen(harness.machine, name);
  }
}

TEST(SelfDriverRoutes, AFailedTransferClosesTheNtDriverAndCountsTheError) {
  MachineDescription machine = twoReaders(kWin2000);
  machine.readers[0].failures = {{"sendIspData", 1, FailureKind::Transport}};
  ProgramHarness harness(machine);
  Program& program = *harness.program;
  chooseRoute(program, kNtCase);
  RouteSet routes(harness.machine);
  harness.loadImage(testImage(1000));
  programOn(program, routes, AccessRoute::SelfDriverNt, harness.machine, 1000);
  const auto boxes = harness.messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!");
  EXPECT_EQ(program.tally.errorCount, 1u);
  expectNothingOpen(harness.machine, "NT");
}

// Keeps each request record with the sizes of the areas it names.
class RecordCapture : public ForwardingPort {
 public:
  struct Request {
    std::uint32_t controlCode;
    std::vector<Byte> input;
    std::size_t outputSize;
    std::vector<DataAddress> named;
    std::vector<std::size_t> namedSizes;
  };

  using ForwardingPort::ForwardingPort;

  DataAddress dataAddress(Bytes buffer) override {
    const DataAddress address = cannotName ? 0 : ForwardingPort::dataAddress(buffer);
    named_.push_back(address);
    namedSizes_.push_back(buffer.size());
    return address;
  }
  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override {
    requests.push_back({controlCode, {input.begin(), input.end()}, output.size(), named_, namedSizes_});
    named_.clear();
    namedSizes_.clear();
    // cppcheck-suppress returnDanglingLifetime ; the result is a flag and a count, it points at nothing
    return ForwardingPort::deviceIoControl(handle, controlCode, input, output);
  }

  /// Like a 64-bit Windows: no buffer has a 32-bit address.
  bool cannotName = false;
  std::vector<Request> requests;

 private:
  std::vector<DataAddress> named_;
  std::vector<std::size_t> namedSizes_;
};

class SelfDriverRecords : public ::testing::Test {
 protected:
  void build(const RouteCase& row) {
    // What was made over an earlier harness goes before it.
    routes_.reset();
    program_.reset();
    capture_.reset();
    harness_ = std::make_unique<ProgramHarness>(twoReaders(row.windows));
    capture_ = std::make_unique<RecordCapture>(harness_->machine);
    program_ = std::make_unique<Program>(*capture_, harness_->mainView, harness_->statusView);
    chooseRoute(*program_, row);
    routes_ = std::make_unique<RouteSet>(*capture_);
  }

  Driver9x& driver9x() { return routes_->selfDriverPort().driver(); }

  // The Memory Stick update as the operator's command runs it: it sends the
  // marker block through the port driver's route and reports a block it
  // could not write.
  void runMsProgram() {
    directory_.writeFile("MSFW.BIN", std::string(1000, '\x11'));
    const std::string_view name = "MSFW.BIN";
    std::copy(name.begin(), name.end(), program_->userIspData.msRomCodeFile.begin());
    program_->workingDirectory = directory_.path();
    RunSink sink = program_->sink();
    SelfDriverPortRoute& portRoute = routes_->selfDriverPort();
    JobContext job = program_->jobContext(sink, &portRoute);
    runMsUpdate(job, portRoute, kMsProgram);
  }

  void scanThenRun(const RouteCase& row, std::uint32_t selectedIndex) {
    build(row);
    ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
    ASSERT_EQ(buildDeviceTable(*program_, *routes_), 0);
    program_->deviceTable.selectedIndex = selectedIndex;
    image_ = testImage(1000, 7);
    std::copy(image_.begin(), image_.end(), program_->firmwareImage.image.begin());
    program_->firmwareImage.image[1000] = 0xAB;  // what follows the image in the buffer
    ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
    scanRequests_ = capture_->requests.size();
    programOn(*program_, *routes_, row.route, *capture_, 1000);
    ASSERT_EQ(program_->tally.successCount, 1u);
    EXPECT_TRUE(harness_->machine.violations().empty()) << harness_->machine.violations().front();
  }

  const RecordCapture::Request& request(std::size_t i) { return capture_->requests.at(i); }
  const RecordCapture::Request& runRequest(std::size_t i) { return request(scanRequests_ + i); }

  std::unique_ptr<ProgramHarness> harness_;
  std::unique_ptr<RecordCapture> capture_;
  std::unique_ptr<Program> program_;
  std::unique_ptr<RouteSet> routes_;
  TemporaryDirectory directory_;
  std::vector<Byte> image_;
  std::size_t scanRequests_ = 0;
};

TEST_F(SelfDriverRecords, PortScanRecords) {
  build(kPortCase);
  ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
  ASSERT_EQ(buildDeviceTable(*program_, *routes_), 0);
  struct Row {
    const char* name;
    std::uint32_t command, parameter, address;
    std::size_t outputSize, namedSize;
  };
  const Row rows[] = {
      {"device count", 0x0A, 0, 0, 8, 8},
      {"unit count of device 0", 0x0B, 0, 0x00000000, 8, 8},
      {"identify A", 0x1F, kSignature, 0x00000001, 512, 512},
      {"firmware revision", 0x1A, 0, 0x00000000, 1, 8},
      {"unit count of device 1", 0x0B, 0, 0x01000000, 8, 8},
      {"identify A of device 1", 0x1F, kSignature, 0x01000001, 512, 512},
      {"firmware revision of device 1", 0x1A, 0, 0x01000000, 1, 8},
  };
  ASSERT_EQ(capture_->requests.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const auto& row = rows[i];
    const auto& sent = request(i);
    EXPECT_EQ(sent.controlCode, 0x41u) << row.name;
    ASSERT_EQ(sent.named.size(), 1u) << row.name;
    EXPECT_EQ(sent.input, portRecordBytes(row.command, row.parameter, row.address, sent.named[0])) << row.name;
    EXPECT_EQ(sent.outputSize, row.outputSize) << row.name;
    EXPECT_EQ(sent.namedSizes[0], row.namedSize) << row.name;
  }
}

TEST_F(SelfDriverRecords, DynamicScanRecords) {
  build(kDynamicCase);
  ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
  ASSERT_EQ(buildDeviceTable(*program_, *routes_), 0);
  ASSERT_EQ(capture_->requests.size(), 5u);
  const auto& count = request(0);
  EXPECT_EQ(count.controlCode, 0x42u);
  EXPECT_EQ(count.input, portRecordBytes(1, 0, 0, count.named[0]));
  EXPECT_EQ(count.outputSize, 8u);
  const auto& units = request(3);
  EXPECT_EQ(units.input, portRecordBytes(2, 0, 0x01000000, units.named[0]));
  const auto& identify = request(4);
  EXPECT_EQ(identify.input, dynamicRecordBytes(1, {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, 1, 528,
                                               identify.named[0]));
  EXPECT_EQ(identify.outputSize, 528u);
  EXPECT_EQ(identify.namedSizes[0], 528u);
}

TEST_F(SelfDriverRecords, PortVendorRecordsSendExactlyTheLength) {
  scanThenRun(kPortCase, 1);
  const auto& jump = runRequest(0);
  EXPECT_EQ(jump.input, portRecordBytes(0x14, 0, 0x01000000, jump.named[0]));
  EXPECT_EQ(jump.outputSize, 1u);
  EXPECT_EQ(jump.namedSizes[0], 1u);
  const auto& status = runRequest(1);
  EXPECT_EQ(status.input, portRecordBytes(0x15, 0, 0x01000000, status.named[0]));
  EXPECT_EQ(status.outputSize, 1u);
  const auto& program = runRequest(2);
  EXPECT_EQ(program.input, portRecordBytes(0x16, 1000, 0x01000000, program.named[0]));
  EXPECT_EQ(program.outputSize, 0u);
  EXPECT_EQ(program.namedSizes[0], 1000u) << "the driver reads exactly the image";
  const auto& compare = runRequest(4);
  EXPECT_EQ(compare.input, portRecordBytes(0x16, 1000, 0x01000001, compare.named[0]));
}

TEST_F(SelfDriverRecords, DynamicVendorRecordsCarryTheBlockAndThePaddedBuffer) {
  scanThenRun(kDynamicCase, 1);
  const auto& jump = runRequest(0);
  EXPECT_EQ(jump.input, dynamicRecordBytes(1, {0x06, 0xBF, 0, 0, 0x08, 0x08}, 0, 0, jump.named[0]));
  EXPECT_EQ(jump.outputSize, 0u);
  const auto& status = runRequest(1);
  EXPECT_EQ(status.input, dynamicRecordBytes(1, {0x06, 0xB0, 0, 0, 0x08}, 1, 28, status.named[0]));
  EXPECT_EQ(status.outputSize, 8u);
  EXPECT_EQ(status.namedSizes[0], 28u);
  const auto& program = runRequest(2);
  EXPECT_EQ(program.input,
            dynamicRecordBytes(1, {0x06, 0xB1, 0x00, 0x00, 0xE8, 0x03, 0x02}, 2, 1024, program.named[0]))
      << "the device field is the selected device here too";
  EXPECT_EQ(program.outputSize, 1024u);
  EXPECT_EQ(program.namedSizes[0], 1024u);
  EXPECT_EQ(harness_->machine.requests("sendIspData").at(0).cdb, "06b10000e803020000000000");
}

TEST_F(SelfDriverRecords, NtVendorRecordsHoldTheImageThenZeros) {
  scanThenRun(kNtCase, 0);
  const auto header = [](const std::vector<Byte>& record) {
    return std::vector<Byte>(record.begin(), record.begin() + 16);
  };
  const auto& jump = runRequest(0);
  EXPECT_EQ(jump.controlCode, 0x222004u);
  EXPECT_EQ(header(jump.input), header(ntRecordBytes(0x222004, 0, 0, jump.named[0])));
  EXPECT_EQ(jump.input.size(), 65552u);
  EXPECT_EQ(jump.outputSize, 1u);
  const auto& status = runRequest(1);
  EXPECT_EQ(status.controlCode, 0x222008u);
  EXPECT_EQ(header(status.input), header(ntRecordBytes(0x222008, 0, 0, status.named[0])));
  EXPECT_EQ(status.outputSize, 1u);
  EXPECT_EQ(status.namedSizes[0], 1u);
  const auto& program = runRequest(2);
  EXPECT_EQ(program.controlCode, 0x22200Cu);
  EXPECT_EQ(program.input, ntRecordBytes(0x22200C, 1000, 0, program.named[0], image_))
      << "no byte of the buffer past the image";
  EXPECT_EQ(program.outputSize, 0u);
  EXPECT_EQ(program.namedSizes[0], 4u) << "the scratch area";
  const auto& compare = runRequest(4);
  EXPECT_EQ(compare.input, ntRecordBytes(0x22200C, 1000, 1, compare.named[0], image_));
}

TEST_F(SelfDriverRecords, TheMarkerBlockIsOneBlockWrittenToDeviceZero) {
  build(kPortCase);
  ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
  program_->deviceTable.selectedIndex = 1;
  EXPECT_TRUE(sendMarkerBlock(driver9x()));
  const auto& write = request(0);
  EXPECT_EQ(write.input, portRecordBytes(0x20, kSignature, 0x00000001, write.named[0]));
  EXPECT_EQ(write.outputSize, 512u);
  EXPECT_EQ(write.namedSizes[0], 512u);
  EXPECT_TRUE(harness_->machine.reader(1).msLoader.inLoader());
  EXPECT_FALSE(harness_->machine.reader(2).msLoader.inLoader());
  EXPECT_TRUE(harness_->messageBoxes().empty());

  // The send addresses device 0 whatever the table selects; the Memory
  // Stick update that sends it makes the selection follow.
  build(kPortCase);
  ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
  program_->deviceTable.selectedIndex = 1;
  runMsProgram();
  EXPECT_FALSE(harness_->machine.requests("blockWrite").empty());
  EXPECT_EQ(program_->deviceTable.selectedIndex, 0u);
}

TEST_F(SelfDriverRecords, AFailedMarkerBlockIsShownAndClosesTheDriver) {
  build(kPortCase);
  ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
  harness_->machine.reader(1).failures.failures = {{"blockWrite", 1, FailureKind::Transport}};
  EXPECT_FALSE(sendMarkerBlock(driver9x()));
  EXPECT_TRUE(harness_->messageBoxes().empty()) << "the send alone shows nothing";
  EXPECT_EQ(harness_->machine.openHandleCount(), 1u);

  // The Memory Stick update reports the block it could not write: its own
  // plain box, the driver closed, then the run's failure.
  harness_->machine.reader(1).failures.failures = {{"blockWrite", 2, FailureKind::Transport}};
  runMsProgram();
  const auto boxes = harness_->messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Write data Error\n");
  EXPECT_EQ(boxes[0].icon, MessageIcon::None);
  EXPECT_EQ(boxes[1].text, "Error!!! JMP MS ISP STATUS ERROR!!!");
  EXPECT_EQ(harness_->machine.openHandleCount(), 0u);
}

TEST_F(SelfDriverRecords, ABufferWithoutA32BitAddressIsNeverSent) {
  build(kPortCase);
  ASSERT_EQ(openSelfDriver(*program_, *routes_), 0);
  capture_->cannotName = true;
  std::vector<Byte> image = testImage(100);
  std::copy(image.begin(), image.end(), program_->firmwareImage.image.begin());
  programOn(*program_, *routes_, AccessRoute::SelfDriverPort, *capture_, 100);
  EXPECT_TRUE(capture_->requests.empty());
  const auto boxes = harness_->messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Error!!! JMP ISP STATUS ERROR!!!");
  EXPECT_EQ(harness_->machine.openHandleCount(), 0u);
}

}  // namespace
}  // namespace updater
