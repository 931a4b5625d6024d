#include "device/aspi/aspi.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/program.h"
#include "app/route_operations.h"
#include "device/aspi/aspi_route.h"
#include "device/route_registry.h"
#include "isp/program_firmware.h"
#include "isp/verify_firmware.h"
#include "platform/forwarding_port.h"
#include "testing/program_harness.h"
#include "testing/route_runs.h"

namespace updater {
namespace {

constexpr std::string_view kNoAspiBox =
    " No ASPI for WIN32 support detected.\n This program need ASPI in WinMe system.";
constexpr std::string_view kStatusErrorBox = "Windows ASPI status Error";

template <std::size_t N>
void setIdentity(std::array<char, N>& field, std::string_view text) {
  field.fill(' ');
  std::copy(text.begin(), text.end(), field.begin());
}

ReaderDescription aspiReader(std::string letters, std::string serial, int adapter = 0,
                             std::vector<int> targets = {0}) {
  ReaderDescription reader;
  reader.letters = std::move(letters);
  reader.serial = std::move(serial);
  reader.manufacturer = "Maker";
  reader.product = "Reader";
  reader.vendorId = 0x1234;
  reader.productId = 0x5678;
  reader.hwRevision = {0x40, 0x23, 0x41};
  reader.aspiAdapter = adapter;
  reader.aspiTargets = std::move(targets);
  return reader;
}

MachineDescription meMachine(std::vector<ReaderDescription> readers, AspiLayerState aspi = AspiLayerState::Ready) {
  MachineDescription machine = harnessMachine();
  machine.windows = {false, 4, 90};
  machine.aspi = aspi;
  machine.readers = std::move(readers);
  return machine;
}

// The layer of the ASPI route of `routes`.
AspiLayer& aspiLayer(RouteSet& routes) {
  return static_cast<updater::AspiRoute&>(routes.route(AccessRoute::Aspi)).layer();
}

class AspiRoute : public ::testing::Test {
 protected:
  void build(const MachineDescription& machine) {
    routes_.reset();  // made over the previous harness's machine, they go before it
    harness_ = std::make_unique<ProgramHarness>(machine);
    configure(program());
    routes_ = std::make_unique<RouteSet>(harness_->machine);
  }

  // Windows ME without the self driver, and the DEVICE.TXT identities of
  // the machine's default reader (A) and of another one (B).
  static void configure(Program& program) {
    program.osMode = OsMode::WinMe;
    setIdentity(program.userIspData.FaInquiry, "Generic USB Reader      1.00");
    setIdentity(program.userIspData.FbInquiry, "Other   Reader B        1.00");
  }

  Program& program() { return *harness_->program; }
  SimMachine& machine() { return harness_->machine; }
  const DeviceTable& table() { return program().deviceTable; }
  int scan() { return buildDeviceTable(program(), *routes_); }
  AspiLayer& layer() { return aspiLayer(*routes_); }
  void programImage(std::uint32_t length) { programOn(program(), *routes_, AccessRoute::Aspi, machine(), length); }
  void verifyImage(std::uint32_t length) { verifyOn(program(), *routes_, AccessRoute::Aspi, machine(), length); }

  std::string letters(std::size_t slot) {
    const DeviceEntry& entry = table().entries[slot];
    return std::string(entry.driveLetters.begin(), entry.driveLetters.begin() + entry.letterCount);
  }

  std::vector<std::string> boxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : harness_->messageBoxes()) texts.push_back(box.text);
    return texts;
  }

  // What every operation leaves behind: nothing open or loaded, nothing the
  // layer still has to post, no request kept.
  void expectClean() {
    EXPECT_EQ(machine().openHandleCount(), 0u);
    EXPECT_EQ(machine().openRegistryKeyCount(), 0u);
    EXPECT_EQ(machine().loadedModuleCount(), 0);
    EXPECT_EQ(machine().pendingAspiPostings(), 0u);
    EXPECT_TRUE(layer().requests.empty());
    EXPECT_EQ(layer().sendCommand, EntryPointValue::None);
    EXPECT_TRUE(machine().violations().empty()) << machine().violations().front();
  }

  std::unique_ptr<ProgramHarness> harness_;
  std::unique_ptr<RouteSet> routes_;
};

// --- The scan -------------------------------------------------------------------

TEST_F(AspiRoute, FindsReadersOnEveryAdapterByEitherIdentityAndReadsTheirLetters) {
  ReaderDescription b = aspiReader("G", "000000000002", 2);
  b.inquiry = {"Other", "Reader B", "9.99"};  // the revision is not compared
  ReaderDescription stranger = aspiReader("H", "000000000003", 1);
  stranger.inquiry = {"Nobody", "Else", "1.00"};
  build(meMachine({aspiReader("E", "000000000001"), stranger, b}));
  program().deviceTable.selectedIndex = 4;

  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 2u);
  EXPECT_EQ(table().selectedIndex, 0u);
  EXPECT_EQ(letters(0), "E");
  EXPECT_EQ(letters(1), "G");
  EXPECT_EQ(table().entries[1].aspiAdapter, 2);
  EXPECT_EQ(table().entries[1].aspiTarget, 0);
  EXPECT_EQ(table().entries[2].inUse, 0u);

  const auto inquiries = machine().requests("inquiry");
  ASSERT_EQ(inquiries.size(), 24u) << "targets 0 to 7 of three adapters";
  EXPECT_EQ(inquiries[0].route, "Aspi");
  EXPECT_EQ(inquiries[0].cdb, "120000002800");
  EXPECT_EQ(inquiries[0].length, 40u);
  EXPECT_EQ(inquiries[0].reader, 1);
  EXPECT_FALSE(inquiries[1].ok) << "no reader at target 1";
  EXPECT_EQ(machine().requests("deviceIdentify").size(), 2u);
  EXPECT_TRUE(harness_->messageBoxes().empty());
  expectClean();
}

TEST_F(AspiRoute, TargetsOfOneReaderMergeBySerialKeepingTheFirstTarget) {
  build(meMachine({aspiReader("EF", "000000000007", 1, {0, 3})}));
  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 1u);
  EXPECT_EQ(table().entries[0].letterCount, 2);
  EXPECT_EQ(table().selectedLetterCount, 2u);
  EXPECT_EQ(letters(0), "EF");
  EXPECT_EQ(table().entries[0].aspiAdapter, 1);
  EXPECT_EQ(table().entries[0].aspiTarget, 0);
  EXPECT_EQ(machine().requests("deviceIdentify").size(), 2u);
  expectClean();
}

TEST_F(AspiRoute, UnitsBeyondTheFifthRecordNoLetter) {
  build(meMachine({aspiReader("EFGHIJK", "000000000007", 0, {0, 1, 2, 3, 4, 5, 6})}));
  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().entries[0].letterCount, 5);
  EXPECT_EQ(letters(0), "EFGHI");
  expectClean();
}

TEST_F(AspiRoute, OnlyTheFirstCharacterOfTheRegistryValueIsTheLetter) {
  build(meMachine({aspiReader("EFGHI", "000000000007", 0, {0, 1, 2, 3, 4})}));
  for (auto& [key, values] : machine().registry) {
    auto& value = values.at("CurrentDriveLetterAssignment");
    value = {value[0], ':', '\\', 'X', 0};  // five bytes, the buffer's size
  }
  EXPECT_EQ(scan(), 0);
  const DeviceEntry& entry = table().entries[0];
  EXPECT_EQ(letters(0), "EFGHI");
  // The identify bytes that follow the letters in the record stay as decoded.
  EXPECT_EQ(entry.reservedIdentify, (std::array<Byte, 8>{}));
  expectClean();
}

TEST_F(AspiRoute, AMissingRegistryKeyLeavesItsLetterEmpty) {
  build(meMachine({aspiReader("E", "000000000001")}));
  machine().registry.clear();
  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().entries[0].letterCount, 1);
  EXPECT_EQ(table().entries[0].driveLetters[0], '\0');
  expectClean();
}

TEST_F(AspiRoute, TheIdentifyOfAMatchGoesToTargetZeroOfItsAdapter) {
  build(meMachine({aspiReader("E", "000000000001", 0, {2})}));
  EXPECT_EQ(scan(), 1);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{std::string(kStatusErrorBox)});
  EXPECT_EQ(harness_->messageBoxes()[0].icon, MessageIcon::None);
  const auto identifies = machine().requests("deviceIdentify");
  ASSERT_EQ(identifies.size(), 1u);
  EXPECT_EQ(identifies[0].reader, 0) << "nobody answers at target 0";
  EXPECT_EQ(table().deviceCount, 0u);
  expectClean();
}

TEST_F(AspiRoute, AnIdentifyErrorStopsTheScanAndKeepsTheReadersFoundBefore) {
  ReaderDescription failing = aspiReader("F", "000000000002", 1);
  failing.failures = {{"deviceIdentify", 1, FailureKind::ScsiStatus}};
  build(meMachine({aspiReader("E", "000000000001"), failing, aspiReader("G", "000000000003", 2)}));

  EXPECT_EQ(scan(), 1);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{std::string(kStatusErrorBox)});
  EXPECT_EQ(table().deviceCount, 1u);
  EXPECT_EQ(table().entries[0].inUse, 1u);
  EXPECT_EQ(machine().requests("inquiry").size(), 9u) << "adapter 0 and target 0 of adapter 1";
  expectClean();
}

TEST_F(AspiRoute, AnInquiryErrorCountsAsNoMatchAndTheScanGoesOn) {
  ReaderDescription failing = aspiReader("E", "000000000001");
  failing.failures = {{"inquiry", 1, FailureKind::Transport}};
  build(meMachine({failing, aspiReader("F", "000000000002", 1)}));
  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 1u);
  EXPECT_EQ(letters(0), "F");
  EXPECT_TRUE(harness_->messageBoxes().empty());
  expectClean();
}

TEST_F(AspiRoute, AZeroByteEndsTheInquiryComparison) {
  ReaderDescription cut = aspiReader("E", "000000000001");
  cut.inquiry = {std::string("Gen\0\0\0\0\0", 8), "USB Reader", "1.00"};
  ReaderDescription padded = aspiReader("F", "000000000002", 1);
  padded.inquiry = {"Gen", "USB Reader", "1.00"};
  build(meMachine({cut, padded}));
  // Equal up to a zero byte in both; what follows it does not count.
  std::copy_n("Gen\0XXXXXXXXXXXXXXXXXXXXXXXX", 28, program().userIspData.FaInquiry.begin());
  setIdentity(program().userIspData.FbInquiry, "Nobody");

  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 1u);
  EXPECT_EQ(letters(0), "E");
  expectClean();
}

struct LayerRow {
  const char* name;
  AspiLayerState state;
  bool reported;  // console line and the plain box
};

TEST_F(AspiRoute, ABrokenLayerFindsNothing) {
  const LayerRow rows[] = {
      {"missing", AspiLayerState::Missing, true},
      {"missing entry point", AspiLayerState::MissingEntryPoint, true},
      {"no adapter", AspiLayerState::NoAdapter, false},
      {"bad status", AspiLayerState::BadStatus, false},
  };
  for (const auto& row : rows) {
    build(meMachine({aspiReader("E", "000000000001")}, row.state));
    EXPECT_EQ(scan(), 1) << row.name;
    const auto console = harness_->transcript.ofKind(EventKind::Console);
    if (row.reported) {
      ASSERT_EQ(console.size(), 1u) << row.name;
      EXPECT_EQ(console[0].text, "Load WNASPI32.DLL or Get Function Address Fail ") << row.name;
      EXPECT_EQ(boxTexts(), std::vector<std::string>{std::string(kNoAspiBox)}) << row.name;
      EXPECT_EQ(harness_->messageBoxes()[0].icon, MessageIcon::None) << row.name;
    } else {
      EXPECT_TRUE(console.empty()) << row.name;
      EXPECT_TRUE(harness_->messageBoxes().empty()) << row.name;
    }
    EXPECT_TRUE(machine().requests().empty()) << row.name;
    expectClean();
  }
}

// --- confirmAspiDevice ----------------------------------------------------------

struct ConfirmRow {
  const char* name;
  void (*change)(DeviceEntry&);
  int result;
};

TEST_F(AspiRoute, ConfirmComparesTheReaderWithTheSelectedEntryAndLeavesTheTableAlone) {
  const ConfirmRow rows[] = {
      {"the same reader", [](DeviceEntry&) {}, 0},
      {"another serial", [](DeviceEntry& e) { e.strSerial[11] = '9'; }, 1},
      {"another manufacturer string", [](DeviceEntry& e) { e.strManufacture[0] = 'm'; }, 1},
      {"another inquiry product", [](DeviceEntry& e) { e.inqProduct[0] = 'u'; }, 1},
      {"another inquiry revision", [](DeviceEntry& e) { e.inqRevision[3] = '1'; }, 1},
      {"another product id", [](DeviceEntry& e) { e.vidPid[3] = 0; }, 1},
      {"another firmware major", [](DeviceEntry& e) { e.usbFwRevision[0] = 9; }, 1},
      {"another firmware month (not compared)", [](DeviceEntry& e) { e.usbFwRevision[4] = 9; }, 0},
  };
  for (const auto& row : rows) {
    build(meMachine({aspiReader("E", "000000000001"), aspiReader("F", "000000000002", 1)}));
    ASSERT_EQ(scan(), 0) << row.name;
    DeviceTable& table = program().deviceTable;
    table.selectedIndex = 1;
    row.change(table.entries[1]);
    table.entries[9].inUse = 1;
    table.entries[9].strSerial.fill('9');
    const DeviceTable before = table;
    const UserIspData identities = program().userIspData;

    RunSink sink = program().sink();
    ASSERT_EQ(reloadAspi(layer()), kAspiLoaded);
    EXPECT_EQ(confirmAspiDevice(layer(), table, 1, 0, sink), row.result) << row.name;
    releaseAspi(layer());

    EXPECT_EQ(program().userIspData.FaInquiry, identities.FaInquiry) << row.name;
    EXPECT_EQ(program().userIspData.FbInquiry, identities.FbInquiry) << row.name;
    for (std::size_t slot = 0; slot < kDeviceSlots; ++slot) {
      EXPECT_EQ(table.entries[slot].strSerial, before.entries[slot].strSerial) << row.name << " slot " << slot;
      EXPECT_EQ(table.entries[slot].inqProduct, before.entries[slot].inqProduct) << row.name << " slot " << slot;
    }
    EXPECT_TRUE(harness_->messageBoxes().empty()) << row.name;
    expectClean();
  }
}

// --- The Aspi start of a run ----------------------------------------------------

struct StartRow {
  const char* name;
  AspiLayerState state;
  bool readerGone;
  std::string_view logLine;
  bool plainBox;
};

TEST_F(AspiRoute, ARunThatCannotStartSaysWhyAndOpensNoWindow) {
  const StartRow rows[] = {
      {"missing", AspiLayerState::Missing, false, "Load WNASPI32.DLL or Get Function Address Fail!!!", true},
      {"missing entry point", AspiLayerState::MissingEntryPoint, false,
       "Load WNASPI32.DLL or Get Function Address Fail!!!", true},
      {"no adapter", AspiLayerState::NoAdapter, false, "No ASPI for WIN32 support detected!!!", true},
      {"bad status", AspiLayerState::BadStatus, false, "No ASPI for WIN32 support detected!!!", true},
      {"reader gone", AspiLayerState::Ready, true, "ERROR: Access Disk Drive Failed!!!", false},
  };
  for (const auto& row : rows) {
    build(meMachine({aspiReader("E", "000000000001")}, row.state));
    if (row.readerGone) {
      ASSERT_EQ(scan(), 0) << row.name;
      program().deviceTable.entries[0].strSerial[0] = 'X';
    }
    program().statusLog = "banner";
    harness_->loadImage(testImage(1000));
    programImage(1000);

    EXPECT_EQ(program().statusLog, "banner\n" + std::string(row.logLine)) << row.name;
    const auto boxes = harness_->messageBoxes();
    ASSERT_EQ(boxes.size(), row.plainBox ? 1u : 0u) << row.name;
    if (row.plainBox) {
      EXPECT_EQ(boxes[0].text, kNoAspiBox) << row.name;
      EXPECT_EQ(boxes[0].icon, MessageIcon::None) << row.name;
    }
    EXPECT_TRUE(harness_->statusWindowOps().empty()) << row.name;
    EXPECT_EQ(program().tally.totalCount, 0u) << row.name;
    EXPECT_TRUE(machine().requests("jumpToIsp").empty()) << row.name;
    expectClean();
  }
}

TEST_F(AspiRoute, AnIdentifyErrorWhileConfirmingStopsTheRunWithBothReports) {
  ReaderDescription reader = aspiReader("E", "000000000001");
  reader.failures = {{"deviceIdentify", 2, FailureKind::Transport}};
  build(meMachine({reader}));
  ASSERT_EQ(scan(), 0);
  harness_->loadImage(testImage(1000));
  verifyImage(1000);

  EXPECT_EQ(boxTexts(), std::vector<std::string>{std::string(kStatusErrorBox)});
  EXPECT_TRUE(program().statusLog.ends_with("\nERROR: Access Disk Drive Failed!!!"));
  EXPECT_TRUE(machine().requests("jumpToIsp").empty());
  expectClean();
}

// --- Whole runs -----------------------------------------------------------------

TEST_F(AspiRoute, ProgramsTheSelectedReaderThenVerifiesIt) {
  build(meMachine({aspiReader("E", "000000000001"), aspiReader("F", "000000000002", 1)}));
  ASSERT_EQ(scan(), 0);
  program().deviceTable.selectedIndex = 1;
  const auto image = testImage(1000, 7);
  harness_->loadImage(image);
  const std::size_t sleepsBefore = machine().sleeps().size();

  programImage(1000);
  EXPECT_EQ(program().tally.successCount, 1u);
  EXPECT_TRUE(harness_->messageBoxes().empty());
  EXPECT_EQ(machine().reader(2).loader.flash, image);
  EXPECT_TRUE(machine().reader(1).loader.flash.empty());
  EXPECT_TRUE(program().statusLog.ends_with("\nSUCCESS! ISP STATUS:9c [Firmware jump into ISP now]"
                                            "\nSUCCESS! ISP STATUS:a5 [Write Data sucessfull]"
                                            "\nSUCCESS! ISP STATUS:5a [Verify Data sucessfull]"));
  const std::vector<std::uint32_t> programSleeps(machine().sleeps().begin() + static_cast<std::ptrdiff_t>(sleepsBefore),
                                                 machine().sleeps().end());
  EXPECT_EQ(programSleeps, (std::vector<std::uint32_t>{100, 3000}));

  const auto jumps = machine().requests("jumpToIsp");
  ASSERT_EQ(jumps.size(), 1u);
  EXPECT_EQ(jumps[0].cdb, "06bf00000808000000000000");
  EXPECT_EQ(jumps[0].reader, 2);
  EXPECT_EQ(jumps[0].length, 0u);
  const auto transfers = machine().requests("sendIspData");
  ASSERT_EQ(transfers.size(), 2u);
  EXPECT_EQ(transfers[0].length, 1024u);
  EXPECT_EQ(transfers[1].cdb, "06b20100e8030200" "00000000");
  const auto statusReads = machine().requests("getIspStatus");
  ASSERT_EQ(statusReads.size(), 3u);
  EXPECT_EQ(statusReads[0].length, 28u);
  EXPECT_EQ(statusReads[2].status, 0x5A);
  expectClean();

  verifyImage(1000);
  EXPECT_TRUE(program().statusLog.ends_with("\nSUCCESS! Verify STATUS:9c [Start Verify Firmware now]"
                                            "\nSUCCESS! Verify STATUS:5a [Verify Data sucessfull]"));
  EXPECT_TRUE(harness_->messageBoxes().empty());
  EXPECT_EQ(machine().sleeps().back(), 100u) << "no pause before the compare of a verify run";
  EXPECT_EQ(program().tally.totalCount, 1u);
  expectClean();
}

// Keeps the bytes of the last data-out request's buffer.
class AspiDataOutCapture : public ForwardingPort {
 public:
  using ForwardingPort::ForwardingPort;
  DataAddress dataAddress(Bytes buffer) override {
    lastBuffer_ = buffer;
    return ForwardingPort::dataAddress(buffer);
  }
  std::uint32_t sendAspi32Command(EntryPointValue entry, Bytes block, AspiPostingRoutine& posting) override {
    if ((block[aspi_srb::kFlags] & aspi_srb::kDirOut) != 0) lastDataOut.assign(lastBuffer_.begin(), lastBuffer_.end());
    return ForwardingPort::sendAspi32Command(entry, block, posting);
  }
  std::vector<Byte> lastDataOut;

 private:
  Bytes lastBuffer_;
};

TEST_F(AspiRoute, TheDataPhaseIsTheImageBufferUpToThePaddedLength) {
  build(meMachine({aspiReader("E", "000000000001")}));
  AspiDataOutCapture capture(machine());
  Program captured(capture, harness_->mainView, harness_->statusView);
  configure(captured);
  RouteSet routes(capture);
  ASSERT_EQ(buildDeviceTable(captured, routes), 0);

  const auto image = testImage(1000, 3);
  std::fill(captured.firmwareImage.image.begin(), captured.firmwareImage.image.end(), Byte{0xAB});
  std::copy(image.begin(), image.end(), captured.firmwareImage.image.begin());
  programOn(captured, routes, AccessRoute::Aspi, capture, 1000);

  EXPECT_EQ(captured.tally.successCount, 1u);
  ASSERT_EQ(capture.lastDataOut.size(), 1024u);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), capture.lastDataOut.begin()));
  EXPECT_EQ(capture.lastDataOut[1000], 0xAB) << "what follows the image in the buffer";
  EXPECT_EQ(capture.lastDataOut[1023], 0xAB);
  EXPECT_EQ(machine().reader(1).loader.flash, image);
}

struct VendorFailureRow {
  const char* name;
  InjectedFailure failure;
  std::string_view box;
  std::uint32_t errorCount;
};

TEST_F(AspiRoute, AFailedLoaderCommandEndsTheRunAndUnloadsTheLayer) {
  const VendorFailureRow rows[] = {
      {"jump, transport", {"jumpToIsp", 1, FailureKind::Transport}, "Error!!! JMP ISP STATUS ERROR!!!", 0},
      {"jump, check condition", {"jumpToIsp", 1, FailureKind::ScsiStatus}, "Error!!! JMP ISP STATUS ERROR!!!", 0},
      {"first status", {"getIspStatus", 1, FailureKind::ScsiStatus}, "Error!!! GET ISP STATUS ERROR!!!", 0},
      {"program transfer", {"sendIspData", 1, FailureKind::Transport},
       "Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!", 1},
      {"compare status", {"getIspStatus", 3, FailureKind::Transport},
       "ERROR!!! GET ISP STATUS ERROR WHEN SEND DATA VERIFY!!!", 1},
  };
  for (const auto& row : rows) {
    ReaderDescription reader = aspiReader("E", "000000000001");
    reader.failures = {row.failure};
    build(meMachine({reader}));
    ASSERT_EQ(scan(), 0) << row.name;
    harness_->loadImage(testImage(1000));
    programImage(1000);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{std::string(row.box)}) << row.name;
    EXPECT_EQ(program().tally.errorCount, row.errorCount) << row.name;
    EXPECT_EQ(program().tally.successCount, 0u) << row.name;
    expectClean();
  }
}

// --- Waiting for the layer ------------------------------------------------------

TEST_F(AspiRoute, ScanRequestsArePolledEveryTenMillisecondsForUpToTenSeconds) {
  build(meMachine({aspiReader("E", "000000000001")}));
  machine().aspiPostingDelayMs = 9'995;
  EXPECT_EQ(scan(), 0);
  EXPECT_EQ(table().deviceCount, 1u);
  const auto& sleeps = machine().sleeps();
  EXPECT_TRUE(std::all_of(sleeps.begin(), sleeps.end(), [](std::uint32_t ms) { return ms == 10; }));
  EXPECT_EQ(sleeps.size(), 9u * 1000u) << "eight inquiries and one identify, 1000 polls each";
  expectClean();
}

TEST_F(AspiRoute, AScanRequestNotPostedWithinTenSecondsFails) {
  // The reader at target 0 matches, but its inquiry is posted only after
  // the scan has moved on: that late posting must not pass for the next
  // target's.
  build(meMachine({aspiReader("E", "000000000001")}));
  machine().aspiPostingDelayMs = 15'000;
  EXPECT_EQ(scan(), 1);
  EXPECT_EQ(table().deviceCount, 0u);
  EXPECT_EQ(machine().requests("deviceIdentify").size(), 0u);
  EXPECT_EQ(machine().elapsedMs(), 8u * 10'000u);
  expectClean();
}

// Layers that turn every request down at once: one that posts the refusal
// (as the 64-bit Windows port does, which cannot hand a 32-bit request block
// on), and one that never posts it (as some real layers do).
class RefusingLayerPort : public ForwardingPort {
 public:
  RefusingLayerPort(Port& port, bool postsRefusal) : ForwardingPort(port), postsRefusal_(postsRefusal) {}
  std::uint32_t sendAspi32Command(EntryPointValue, Bytes block, AspiPostingRoutine& posting) override {
    putU8(block, aspi_srb::kStatus, aspi_srb::kError);
    if (postsRefusal_) {
      posting.posted(block);
    } else {
      unposted.push_back({block, &posting});
    }
    return aspi_srb::kError;
  }
  /// The layer posts, late, what it never posted.
  void postLate() {
    for (auto& [block, posting] : unposted) posting->posted(block);
    unposted.clear();
  }

  std::vector<std::pair<Bytes, AspiPostingRoutine*>> unposted;

 private:
  bool postsRefusal_;
};

TEST_F(AspiRoute, RequestsTurnedDownAtOnceEndTheScan) {
  struct Case {
    const char* layer;
    bool postsRefusal;
    std::uint32_t elapsedMs;
    std::size_t keptRequests;
  };
  const Case kCases[] = {
      {"posts its refusal: the scan goes on at once", true, 0, 0},
      {"never posts: each target's inquiry waits out its limit once, and stays kept", false, 8u * 10'000u, 8},
  };
  for (const auto& c : kCases) {
    build(meMachine({aspiReader("E", "000000000001")}));
    RefusingLayerPort refusing(machine(), c.postsRefusal);
    Program run(refusing, harness_->mainView, harness_->statusView);
    configure(run);
    RouteSet routes(refusing);

    EXPECT_EQ(buildDeviceTable(run, routes), 1) << c.layer;
    EXPECT_EQ(run.deviceTable.deviceCount, 0u) << c.layer;
    EXPECT_EQ(machine().elapsedMs(), c.elapsedMs) << c.layer;
    EXPECT_EQ(machine().loadedModuleCount(), 0) << c.layer;
    // Never posted, so kept: the layer could still write into them.
    EXPECT_EQ(aspiLayer(routes).requests.size(), c.keptRequests) << c.layer;
    EXPECT_TRUE(machine().violations().empty()) << c.layer;
    refusing.postLate();
  }
}

// Gives the loader's commands (not the scan's) their own posting delay.
class SlowLoaderPort : public ForwardingPort {
 public:
  SlowLoaderPort(SimMachine& machine, std::uint32_t delayMs)
      : ForwardingPort(machine), machine_(machine), delayMs_(delayMs) {}
  std::uint32_t sendAspi32Command(EntryPointValue entry, Bytes block, AspiPostingRoutine& posting) override {
    const bool loaderCommand = block[aspi_srb::kCdbByte] == kVendorOpcode && block[aspi_srb::kCdbByte + 1] != 0x05;
    machine_.aspiPostingDelayMs = loaderCommand ? delayMs_ : 0;
    return ForwardingPort::sendAspi32Command(entry, block, posting);
  }

 private:
  SimMachine& machine_;
  std::uint32_t delayMs_;
};

struct SlowLoaderRow {
  const char* name;
  std::uint32_t delayMs;
  std::uint64_t successes;
};

TEST_F(AspiRoute, LoaderCommandsArePolledEveryHundredMillisecondsForUpToSixtySeconds) {
  const SlowLoaderRow rows[] = {
      {"within the limit", 59'950, 1},
      {"past the limit", 60'050, 0},
  };
  for (const auto& row : rows) {
    build(meMachine({aspiReader("E", "000000000001")}));
    ASSERT_EQ(scan(), 0) << row.name;
    SlowLoaderPort slow(machine(), row.delayMs);
    Program run(slow, harness_->mainView, harness_->statusView);
    configure(run);
    run.deviceTable = table();
    RouteSet routes(slow);
    harness_->loadImage(testImage(1000));
    run.firmwareImage = program().firmwareImage;
    const std::size_t sleepsBefore = machine().sleeps().size();

    programOn(run, routes, AccessRoute::Aspi, slow, 1000);
    EXPECT_EQ(run.tally.successCount, row.successes) << row.name;
    const std::vector<std::uint32_t> sleeps(machine().sleeps().begin() + static_cast<std::ptrdiff_t>(sleepsBefore),
                                            machine().sleeps().end());
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 10u), 0) << row.name;
    if (row.successes == 0) {
      EXPECT_EQ(boxTexts(), std::vector<std::string>{"Error!!! JMP ISP STATUS ERROR!!!"}) << row.name;
      EXPECT_EQ(sleeps, std::vector<std::uint32_t>(600, 100)) << row.name;
    }
    EXPECT_EQ(machine().loadedModuleCount(), 0) << row.name;
    EXPECT_EQ(machine().pendingAspiPostings(), 0u) << row.name;
    EXPECT_TRUE(aspiLayer(routes).requests.empty()) << row.name;
    EXPECT_TRUE(machine().violations().empty()) << row.name;
  }
}

}  // namespace
}  // namespace updater
