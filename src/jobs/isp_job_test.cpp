#include "jobs/isp_job.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/scramble.h"
#include "jobs/serial_lock.h"
#include "testing/job_fixture.h"

namespace updater {
namespace {

const std::string kRule(56, '=');
const std::string kHead = kRule + "\n==  Internal System Program Ver1.60             \n" + kRule;
constexpr const char* kProgrammed =
    "\nSUCCESS! ISP STATUS:9c [Firmware jump into ISP now]"
    "\nSUCCESS! ISP STATUS:a5 [Write Data sucessfull]"
    "\nSUCCESS! ISP STATUS:5a [Verify Data sucessfull]";

constexpr HardwareRevision k4023{0x40, 0x23, 'A'};
constexpr HardwareRevision k4013{0x40, 0x13, 'A'};
constexpr HardwareRevision k4053{0x40, 0x53, 'A'};
constexpr HardwareRevision k4148{0x41, 0x48, 'A'};

// A type-6 image for a "4023" reader: identity block at body position 0x100
// (image 0x106) inside the plain window [0x100, 0x400), serial descriptor
// 2 × 0x100 after it (image 0x306), BmpMap at body position 0x800.
constexpr std::uint32_t kBlockOffset = 0x100;
constexpr std::uint32_t kPlainLength = 0x300;
constexpr std::uint32_t kBmpMapOffset = 0x800;
constexpr std::size_t kDescriptorAt = 0x306;
constexpr std::size_t kImageLength = 0x2000;

// A "4023" reader with the type-6 image, its address file, BmpMap and
// SERIAL.TXT holding 0x12, 0x34, 5 in the working directory.
struct IspJobSetup : JobFixture {
  IspJobSetup() {
    program().selectedDriverName = "UDSKIO.SYS";
    program().userIspData.vendorId = 0x1234;
    program().userIspData.vendorIdActive = true;
    selectReader(k4023);
    writeImage(image);
    writeAddressFile({kBlockOffset, 2, 0x100, kPlainLength, kBmpMapOffset});
    writeBmpMap(map);
    writeSerialFile("12 34 5\n");
  }

  void run() { runIsp(); }

  // What a reader should hold after a run: the map in the body, the vendor
  // id in the block and the descriptor of `serial`.
  std::vector<Byte> expectedFlash(std::string_view serial) const {
    std::vector<Byte> body(image.begin() + 6, image.end());
    std::vector<Byte> plain(body.size());
    const ScrambleWindow window{kBlockOffset, kPlainLength};
    EXPECT_TRUE(unscramble(body, plain, window));
    std::copy(map.begin(), map.end(), plain.begin() + kBmpMapOffset);
    std::vector<Byte> flash = image;
    EXPECT_TRUE(scramble(plain, Bytes(flash).subspan(6), window));
    flash[0x106 + 138] = 0x34;
    flash[0x106 + 139] = 0x12;
    flash[kDescriptorAt] = 0x1A;
    flash[kDescriptorAt + 1] = 0x03;
    for (std::size_t k = 0; k < 12; ++k) {
      flash[kDescriptorAt + 2 + 2 * k] = static_cast<Byte>(serial[k]);
      flash[kDescriptorAt + 3 + 2 * k] = 0;
    }
    return flash;
  }

  std::string serialInFlash() const {
    std::string serial;
    for (std::size_t k = 0; k < 12; ++k) serial += static_cast<char>(loader.flash.at(kDescriptorAt + 2 + 2 * k));
    return serial;
  }

  std::string report(std::string_view counterLine, std::string_view serial) const {
    return kHead + "\n" + std::string(counterLine) + "\n==  ROMCODE = FW.BIN || VxD DRIVER = UDSKIO.SYS \n" +
           kRule + "\nSERIAL NUMBER: " + std::string(serial) + "\n" + kRule;
  }

  // Another program working in the same folder takes the counter's lock.
  void lockCounterElsewhere() {
    otherProgramsLock =
        UniqueFileLock(otherMachine, otherMachine.lockFile(directory.path() / kSerialLockFileName).lock);
    ASSERT_TRUE(otherProgramsLock.isOpen());
  }

  // Whether another program could take the counter's lock now.
  bool counterFree() {
    const UniqueFileLock probe(otherMachine, otherMachine.lockFile(directory.path() / kSerialLockFileName).lock);
    return probe.isOpen();
  }

  void expectOneStopBox(const std::string& text) const {
    const auto boxes = harness.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].caption, "updater");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop);
  }

  std::vector<Byte> image = headedImage(6, 0xFE, kImageLength, 3);
  std::vector<Byte> map = testImage(kBmpMapSize, 21);
  Transcript otherTranscript;
  SimMachine otherMachine{otherTranscript};
  UniqueFileLock otherProgramsLock;
};

class IspJob : public ::testing::Test, protected IspJobSetup {};

TEST_F(IspJob, ProgramsTheStampedImageReportsTheRunAndAdvancesTheCounter) {
  program().statusLog = "left from GetInfo";
  run();
  EXPECT_EQ(log(), report("==  CEM= 0x12 || PC= 0x34 || CNT= 0x0005", "127C19340005") + kProgrammed);
  EXPECT_TRUE(harness.messageBoxes().empty());
  EXPECT_EQ(loader.flash, expectedFlash("127C19340005"));
  EXPECT_EQ(serialFile(), "0x12 0x34 0x6 ");
  EXPECT_EQ(program().serialCounter, (SerialCounter{0x12, 0x34, 0x6}));
  EXPECT_EQ(routes.started(), std::vector<AccessRoute>{AccessRoute::PassThrough});
  EXPECT_EQ(routes.of(AccessRoute::PassThrough).ends, 1);
  EXPECT_EQ(harness.machine.heldFileLockCount(), 0u);
  EXPECT_TRUE(counterFree());
}

TEST_F(IspJob, TwoSuccessesWriteConsecutiveNumbersAndAdvanceTwice) {
  run();
  const std::string first = serialInFlash();
  run();
  const std::string second = serialInFlash();
  EXPECT_EQ(first, "127C19340005");
  EXPECT_EQ(second, "127C19340006");
  EXPECT_EQ(std::stoi(second.substr(8), nullptr, 16), std::stoi(first.substr(8), nullptr, 16) + 1);
  EXPECT_EQ(serialFile(), "0x12 0x34 0x7 ");
  EXPECT_EQ(program().tally.successCount, 2u);
}

TEST_F(IspJob, FailedProgrammingKeepsSerialFileAndTheNextRunUsesTheSameNumber) {
  loader.script.verify = {0x33};
  run();
  EXPECT_EQ(program().tally.errorCount, 1u);
  EXPECT_EQ(serialFile(), "12 34 5\n") << "byte for byte";
  EXPECT_TRUE(log().ends_with("\nError!!! ISP Data Verify Error, Program Fail!!!"));
  EXPECT_TRUE(counterFree());

  harness.transcript.clear();
  loader.script.verify.clear();
  run();
  EXPECT_TRUE(log().starts_with(report("==  CEM= 0x12 || PC= 0x34 || CNT= 0x0005", "127C19340005")));
  EXPECT_EQ(serialInFlash(), "127C19340005");
  EXPECT_EQ(serialFile(), "0x12 0x34 0x6 ");
}

TEST_F(IspJob, CounterAt0xFFFFWrapsToZero) {
  writeSerialFile("12 34 ffff");
  run();
  EXPECT_EQ(serialInFlash(), "127C1934FFFF");
  EXPECT_EQ(serialFile(), "0x12 0x34 0x0 ");
}

TEST_F(IspJob, YearUpTo2000FailsAfterTheRomCodeLineWithNothingSent) {
  harness.machine.date = {2000, 6, 1};
  run();
  EXPECT_EQ(log(), kHead + "\n==  CEM= 0x12 || PC= 0x34 || CNT= 0x0005"
                           "\n==  ROMCODE = FW.BIN || VxD DRIVER = UDSKIO.SYS \n" +
                       kRule + "\nError!!! Year too small, 2000");
  expectOneStopBox("Error!!! Year too small, 2000");
  EXPECT_FALSE(anythingSent());
  EXPECT_EQ(serialFile(), "12 34 5\n");

  harness.transcript.clear();
  harness.machine.date = {2001, 1, 1};
  run();
  EXPECT_TRUE(harness.messageBoxes().empty()) << "2001 is late enough";
}

TEST_F(IspJob, PlainImageOnA4013ReaderIsSentUnpatchedWhenItsAddressFileCannotBeRead) {
  selectReader(k4013);
  const std::vector<Byte> plainImage = headedImage(4, 0xFC, 3000, 8);
  writeImage(plainImage);
  for (const bool fileThere : {false, true}) {
    SCOPED_TRACE(fileThere ? "address file of 8 bytes" : "no address file");
    directory.remove(kJobAddressFile);
    if (fileThere) writeAddressFile({0x10, 1});
    harness.transcript.clear();
    run();
    EXPECT_TRUE(harness.messageBoxes().empty());
    EXPECT_EQ(log().find("address"), std::string::npos);
    EXPECT_EQ(loader.flash, plainImage);
    EXPECT_TRUE(log().ends_with(kProgrammed));
  }
  EXPECT_EQ(serialFile(), "0x12 0x34 0x7 ");
}

TEST_F(IspJob, PlainImageOnA4013ReaderIsPatchedWhenItsAddressFileIsThere) {
  selectReader(k4013);
  const std::vector<Byte> plainImage = headedImage(4, 0xFC, 3000, 8);
  writeImage(plainImage);
  writeAddressFile({0x10, 1, 0x200});
  run();
  std::vector<Byte> expected = plainImage;
  expected[0x12 + 138] = 0x34;
  expected[0x12 + 139] = 0x12;
  const std::string_view serial = "127C19340005";
  expected[0x212] = 0x1A;
  expected[0x213] = 0x03;
  for (std::size_t k = 0; k < 12; ++k) {
    expected[0x214 + 2 * k] = static_cast<Byte>(serial[k]);
    expected[0x215 + 2 * k] = 0;
  }
  EXPECT_EQ(loader.flash, expected);
}

TEST_F(IspJob, Revision4053ReadsNoSerialFileAndLeavesTheCounterAlone) {
  selectReader(k4053);
  directory.remove(kSerialFileName);
  directory.remove(kJobAddressFile);
  const std::vector<Byte> type3 = headedImage(3, 0xFE, 2000, 4);
  writeImage(type3);
  program().serialCounter = {1, 2, 3};
  run();
  EXPECT_EQ(log(), report("==  CEM= 0x01 || PC= 0x02 || CNT= 0x0003", "017C19020003") + kProgrammed);
  EXPECT_TRUE(harness.messageBoxes().empty());
  EXPECT_EQ(loader.flash, type3);
  EXPECT_FALSE(directory.exists(kSerialFileName));
  EXPECT_EQ(program().serialCounter, (SerialCounter{1, 2, 3}));
}

TEST_F(IspJob, ImageForAnotherReaderStopsWithABoxAloneAndSendsNothing) {
  selectReader(k4013);
  writeImage(headedImage(3, 0xFE, 2000, 4));
  run();
  expectOneStopBox("nError!!! HardWare version not correct!!!");
  EXPECT_TRUE(log().ends_with("\nSERIAL NUMBER: 127C19340005\n" + kRule)) << "no line for the refusal";
  EXPECT_FALSE(anythingSent());
  EXPECT_TRUE(routes.started().empty());
  EXPECT_EQ(serialFile(), "12 34 5\n");
}

TEST_F(IspJob, FixedSerialStringIsReportedAndTheCounterNeverMoves) {
  UserIspData& data = program().userIspData;
  data.serialActive = true;
  const std::string_view fixed = "SN0123456789";
  std::copy(fixed.begin(), fixed.end(), data.serialString.begin());
  run();
  EXPECT_TRUE(log().starts_with(report("==  CEM= 0x12 || PC= 0x34 || CNT= 0x0005", "SN0123456789")));
  EXPECT_EQ(loader.flash[0x106 + 80], 'S');
  EXPECT_EQ(loader.flash[0x106 + 102], '9');
  EXPECT_EQ(program().tally.successCount, 1u);
  EXPECT_EQ(serialFile(), "12 34 5\n");

  // The file is still read.
  directory.remove(kSerialFileName);
  harness.transcript.clear();
  run();
  expectOneStopBox("Error!!!  Can Not Open Serial.txt !!!");
}

TEST_F(IspJob, SaveFailureAfterASuccessStopsWithABoxAlone) {
  std::filesystem::create_directories(directory.path() / "SERIAL.TXT.new" / "occupied");
  run();
  expectOneStopBox("nError!!! Cannot save [SERIAL.TXT], program terminate");
  EXPECT_TRUE(log().ends_with(kProgrammed));
  EXPECT_EQ(program().tally.successCount, 1u);
  EXPECT_EQ(serialFile(), "12 34 5\n");
  EXPECT_TRUE(counterFree());
}

TEST_F(IspJob, CounterLockedByAnotherProgramFailsBeforeTheCounterIsRead) {
  lockCounterElsewhere();
  run();
  EXPECT_EQ(log(), kHead + "\nError!!! SERIAL.TXT is in use by another program");
  expectOneStopBox("Error!!! SERIAL.TXT is in use by another program");
  EXPECT_FALSE(anythingSent());
  EXPECT_EQ(serialFile(), "12 34 5\n");
  EXPECT_EQ(program().serialCounter, SerialCounter{}) << "not loaded";
  EXPECT_EQ(program().tally.totalCount, 0u);

  otherProgramsLock.reset();
  harness.transcript.clear();
  run();
  EXPECT_TRUE(harness.messageBoxes().empty());
  EXPECT_EQ(serialInFlash(), "127C19340005");
  EXPECT_EQ(serialFile(), "0x12 0x34 0x6 ");
}

TEST_F(IspJob, JobsThatAdvanceNoCounterTakeNoLock) {
  lockCounterElsewhere();
  UserIspData& data = program().userIspData;
  data.serialActive = true;
  const std::string_view fixed = "SN0123456789";
  std::copy(fixed.begin(), fixed.end(), data.serialString.begin());
  run();
  EXPECT_TRUE(harness.messageBoxes().empty()) << "fixed serial string";
  EXPECT_EQ(program().tally.successCount, 1u);

  data.serialActive = false;
  selectReader(k4053);
  writeImage(headedImage(3, 0xFE, 2000, 4));
  harness.transcript.clear();
  run();
  EXPECT_TRUE(harness.messageBoxes().empty()) << "revision 4053";
  EXPECT_EQ(program().tally.successCount, 2u);
  EXPECT_EQ(serialFile(), "12 34 5\n");
}

TEST_F(IspJob, ImageOf65536BytesIsRefusedByTheSequenceAndKeepsTheCounter) {
  image = headedImage(5, 0xFE, 65536, 6);
  writeImage(image);
  run();
  expectOneStopBox("Error!!! File too large !!!, 65536");
  EXPECT_TRUE(log().ends_with("\nError!!! File too large !!!, 65536"));
  EXPECT_FALSE(anythingSent());
  EXPECT_EQ(program().tally.successCount, 0u);
  EXPECT_EQ(serialFile(), "12 34 5\n");
}

struct FailureRow {
  const char* name;
  std::function<void(IspJobSetup&)> arrange;
  std::string boxText;
  std::string logLine;
};

TEST(IspJobFailures, EndTheJobBeforeProgrammingWithNothingSentAndSerialFileUntouched) {
  const std::vector<FailureRow> rows = {
      {"no image file", [](IspJobSetup& t) { t.directory.remove(kJobImageFile); },
       "Error!!! Can Not Open FW.BIN ISP Binary ROM Code", ""},
      {"image too large", [](IspJobSetup& t) { t.writeImage(headedImage(6, 0xFE, 65537)); },
       "Error!!! File too large !!!, 65537", ""},
      {"empty image", [](IspJobSetup& t) { t.writeImage({}); }, "Error!!! Problem reading file!!!",
       "Error!!! Problem reading ROM code file!!!"},
      {"no address file", [](IspJobSetup& t) { t.directory.remove(kJobAddressFile); },
       "Error!!! Can Not Open FW.adr String address file.", ""},
      {"address file of 11 bytes", [](IspJobSetup& t) { t.directory.writeFile(kJobAddressFile, std::string(11, '\1')); },
       "Error!!! Problem reading fileFW.adr", ""},
      {"BmpMap of 641 bytes", [](IspJobSetup& t) { t.writeBmpMap(testImage(641)); }, "Error!!! File too large !!!, 641",
       ""},
      {"no BmpMap", [](IspJobSetup& t) { t.directory.remove(kJobBmpMapFile); }, "Error!!! Can Not Open MAP.BINFile", ""},
      {"no SERIAL.TXT", [](IspJobSetup& t) { t.directory.remove(kSerialFileName); },
       "Error!!!  Can Not Open Serial.txt !!!", ""},
      {"counter out of range", [](IspJobSetup& t) { t.writeSerialFile("100 0 0"); },
       "Error!!! CEM,PC,SERIAL Not Correct !!!", ""},
      {"counter locked by another program", [](IspJobSetup& t) { t.lockCounterElsewhere(); },
       "Error!!! SERIAL.TXT is in use by another program", ""},
      {"lock file cannot be made",
       [](IspJobSetup& t) { std::filesystem::create_directory(t.directory.path() / kSerialLockFileName); },
       "Error!!! Can Not Lock SERIAL.TXT.lock", ""},
      {"descriptor beyond the image", [](IspJobSetup& t) { t.writeAddressFile({kBlockOffset, 0x100, 0x100, 0, 0}); },
       "Error!!! String address out of range in FW.adr", ""},
      {"block beyond the image", [](IspJobSetup& t) { t.writeAddressFile({0xFFFFFFF0, 0, 0, 0, 0}); },
       "Error!!! String address out of range in FW.adr", ""},
      {"block image on a reader that reads no address file",
       [](IspJobSetup& t) {
         t.selectReader(k4148);
         t.writeImage(headedImage(1, 0xFE, 4000));
       },
       "Error!!! No String address file for this device", ""},
      {"scrambled block on a 4013 reader with no address file",
       [](IspJobSetup& t) {
         t.selectReader(k4013);
         t.directory.remove(kJobAddressFile);
         t.writeImage(headedImage(1, 0xFE, 4000));
       },
       "Error!!! Can Not Open FW.adr String address file.", ""},
  };
  for (const auto& row : rows) {
    IspJobSetup t;
    row.arrange(t);
    const std::string serialBefore = t.serialFile();
    t.run();

    const auto boxes = t.harness.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << row.name;
    EXPECT_EQ(boxes[0].text, row.boxText) << row.name;
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop) << row.name;
    const std::string line = row.logLine.empty() ? row.boxText : row.logLine;
    EXPECT_TRUE(t.log().ends_with("\n" + line)) << row.name << ": " << t.log();
    EXPECT_TRUE(t.log().starts_with(kHead)) << row.name;
    EXPECT_FALSE(t.anythingSent()) << row.name;
    EXPECT_TRUE(t.routes.started().empty()) << row.name;
    EXPECT_EQ(t.serialFile(), serialBefore) << row.name;
    EXPECT_EQ(t.harness.machine.heldFileLockCount(), 0u) << row.name;
  }
}

struct BoxRow {
  const char* name;
  std::function<void(IspJobSetup&)> arrange;
  std::vector<std::string> boxTexts;
};

// A box waits for the operator, who may be away for minutes: the station
// must not keep the other stations sharing its folder from the counter
// meanwhile, whichever way its run ended.
TEST(IspJobBoxes, WaitForTheOperatorWithTheCounterFree) {
  const std::string verifyError = "Error!!! ISP Data Verify Error, Program Fail!!!";
  const std::string saveFailure = "nError!!! Cannot save [SERIAL.TXT], program terminate";
  const std::string historyFailure = "Error!!! Can Not Write HISTORY.CSV";
  const auto blockHistory = [](IspJobSetup& t) { std::filesystem::create_directory(t.directory.path() / "HISTORY.CSV"); };
  const auto blockSave = [](IspJobSetup& t) {
    std::filesystem::create_directories(t.directory.path() / "SERIAL.TXT.new" / "occupied");
  };
  const std::vector<BoxRow> rows = {
      {"year too small", [](IspJobSetup& t) { t.harness.machine.date = {2000, 6, 1}; },
       {"Error!!! Year too small, 2000"}},
      {"descriptor beyond the image", [](IspJobSetup& t) { t.writeAddressFile({kBlockOffset, 0x100, 0x100, 0, 0}); },
       {"Error!!! String address out of range in FW.adr"}},
      {"image for another reader",
       [](IspJobSetup& t) {
         t.selectReader(k4013);
         t.writeImage(headedImage(3, 0xFE, 2000, 4));
       },
       {"nError!!! HardWare version not correct!!!"}},
      {"loader's verify error", [](IspJobSetup& t) { t.loader.script.verify = {0x33}; }, {verifyError}},
      {"SERIAL.TXT not saved", blockSave, {saveFailure}},
      {"HISTORY.CSV not written", blockHistory, {historyFailure}},
      {"verify error, HISTORY.CSV not written",
       [&](IspJobSetup& t) {
         t.loader.script.verify = {0x33};
         blockHistory(t);
       },
       {verifyError, historyFailure}},
      {"SERIAL.TXT and HISTORY.CSV not written",
       [&](IspJobSetup& t) {
         blockSave(t);
         blockHistory(t);
       },
       {saveFailure, historyFailure}},
  };
  for (const auto& row : rows) {
    IspJobSetup t;
    row.arrange(t);
    std::vector<std::string> boxesOverHeldCounter;
    t.harness.transcript.onEvent = [&](const TranscriptEvent& event) {
      if (event.kind == EventKind::MessageBox && !t.counterFree()) boxesOverHeldCounter.push_back(event.text);
    };
    t.run();
    t.harness.transcript.onEvent = nullptr;

    std::vector<std::string> texts;
    for (const auto& box : t.harness.messageBoxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, row.boxTexts) << row.name;
    EXPECT_TRUE(boxesOverHeldCounter.empty()) << row.name << ": the counter is held while \""
                                              << boxesOverHeldCounter.front() << "\" waits";
  }
}

struct RouteRow {
  OsMode osMode;
  bool selfDriverChosen;
  DriverKind driverKind;
  std::optional<AccessRoute> route;
};

const RouteRow kRouteRows[] = {
    {OsMode::Win98, false, DriverKind::Kv20Disk, AccessRoute::SelfDriverDynamic},
    {OsMode::Win98, true, DriverKind::Kv20Disk, AccessRoute::SelfDriverDynamic},
    {OsMode::Win98, false, DriverKind::Other, AccessRoute::SelfDriverPort},
    {OsMode::Win98, true, DriverKind::Other, AccessRoute::SelfDriverPort},
    {OsMode::WinMe, true, DriverKind::Other, AccessRoute::SelfDriverPort},
    {OsMode::WinMe, true, DriverKind::Kv20Disk, AccessRoute::SelfDriverPort},
    {OsMode::WinMe, false, DriverKind::Other, AccessRoute::Aspi},
    {OsMode::WinMe, false, DriverKind::Kv20Disk, AccessRoute::Aspi},
    {OsMode::Win2000, true, DriverKind::Other, AccessRoute::SelfDriverNt},
    {OsMode::Win2000, true, DriverKind::Kv20Disk, AccessRoute::SelfDriverNt},
    {OsMode::Win2000, false, DriverKind::Other, AccessRoute::PassThrough},
    {OsMode::Win2000, false, DriverKind::Kv20Disk, AccessRoute::PassThrough},
    {OsMode::WinXp, true, DriverKind::Other, AccessRoute::PassThrough},
    {OsMode::WinXp, false, DriverKind::Kv20Disk, AccessRoute::PassThrough},
    {OsMode::Unsupported, false, DriverKind::Other, std::nullopt},
    {OsMode::Unsupported, true, DriverKind::Kv20Disk, std::nullopt},
};

std::string rowName(const RouteRow& row) {
  return "OsMode " + std::to_string(static_cast<int>(row.osMode)) + (row.selfDriverChosen ? " self driver" : "") +
         (row.driverKind == DriverKind::Kv20Disk ? " KV20DISK" : "");
}

TEST(IspJobRoute, FollowsTheWindowsFamilyTheCheckBoxAndTheDriverKind) {
  for (const auto& row : kRouteRows) {
    JobFixture fixture;
    fixture.selectReader(k4053);
    fixture.writeImage(headedImage(3, 0xFE, 1500));
    fixture.program().osMode = row.osMode;
    fixture.program().selfDriverChosen = row.selfDriverChosen;
    fixture.program().driverKind = row.driverKind;
    fixture.runIsp();

    const std::vector<AccessRoute> expected = row.route ? std::vector{*row.route} : std::vector<AccessRoute>{};
    EXPECT_EQ(fixture.routes.started(), expected) << rowName(row);
    EXPECT_EQ(fixture.routes.asked, expected) << rowName(row);
    EXPECT_EQ(fixture.program().tally.successCount, row.route ? 1u : 0u) << rowName(row);
    EXPECT_EQ(fixture.anythingSent(), row.route.has_value()) << rowName(row);
    EXPECT_TRUE(fixture.harness.messageBoxes().empty()) << rowName(row);
  }
}

}  // namespace
}  // namespace updater
