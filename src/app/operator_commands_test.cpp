#include "app/operator_commands.h"

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/program.h"
#include "testing/operator_fixture.h"

namespace updater {
namespace {

constexpr WindowsVersion kXp{true, 5, 1};
constexpr WindowsVersion k2000{true, 5, 0};

std::string tally(int success, int error, int total) {
  char text[128];  // three counts in hex always fit
  (void)std::snprintf(text, sizeof text, "\n\nSuccess Number Of ISP: %x\nError   Number Of ISP: %x\nTotal   Number Of ISP: %x",
                      success, error, total);
  return text;
}

class OperatorCommands : public ::testing::Test {
 protected:
  void start(WindowsVersion windows, std::vector<ReaderDescription> readers) {
    fixture_ = std::make_unique<OperatorFixture>(operatorMachine(windows, std::move(readers)));
    ASSERT_TRUE(initialiseMainWindow(program(), routes()));
    fixture_->harness.transcript.clear();
  }

  Program& program() { return fixture_->program(); }
  RouteSet& routes() { return *fixture_->routes; }
  std::vector<TranscriptEvent> boxes() { return fixture_->boxes(); }

  void expectOneWarning(const std::string& text) {
    const auto shown = boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, text);
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(shown[0].caption, "updater");
  }

  std::unique_ptr<OperatorFixture> fixture_;
};

TEST_F(OperatorCommands, IspOnXpProgramsTheSelectedReaderAndAppendsTheTally) {
  start(kXp, {operatorReader("E", "000000000001")});
  ispEnableClicked(program());
  ispCommand(program(), routes());
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(program().tally.successCount, 1u);
  EXPECT_TRUE(program().statusLog.ends_with(tally(1, 0, 1))) << program().statusLog;
  EXPECT_EQ(fixture_->reportArea(), program().statusLog);
  EXPECT_EQ(fixture_->machine().openHandleCount(), 0u);
}

TEST_F(OperatorCommands, TallyIsPrintedInHexadecimal) {
  start(kXp, {operatorReader("E", "000000000001")});
  ispEnableClicked(program());
  for (int run = 0; run < 10; ++run) ispCommand(program(), routes());
  EXPECT_EQ(program().tally.successCount, 10u);
  EXPECT_TRUE(program().statusLog.ends_with(tally(10, 0, 10)));
  EXPECT_NE(program().statusLog.find("Success Number Of ISP: a\n"), std::string::npos);
}

struct RefusalRow {
  const char* name;
  OsMode osMode;
  bool ispEnabled;
  bool msMode;
  std::array<Byte, 3> hwRevision;
  const char* ispText;
  const char* verifyText;  // nullptr: verify runs
};

TEST_F(OperatorCommands, PreconditionRefusalsChangeNeitherLogNorTable) {
  const RefusalRow rows[] = {
      {"unsupported Windows", OsMode::Unsupported, true, false, {0x40, 0x23, 0x41},
       "ISP_E1: ISP must run under win98 or WinMe or Win2K or WinXP",
       "Verify must run under win98 or WinMe or Win2K Oor WinXP with self-driver"},
      {"ISP not enabled", OsMode::WinXp, false, false, {0x40, 0x23, 0x41},
       "ISP_E2: Before ISP, Please select the [ISP_ena] first!!!",
       "Before Verify Firmware, Please select the [ISP_ena] first!!!"},
      {"unlisted revision without driver", OsMode::WinXp, true, false, {0, 0, 0},
       "ISP_E5: ISP must run under win98 or WinMe or WIN2K with DRIVER Install.", nullptr},
      {"Memory Stick on XP", OsMode::WinXp, true, true, {0x40, 0x23, 0x41},
       "ISP_E9: MS ISP must run under win98 or WinMe with DRIVER Install.",
       "ISP_E9: ISP must run under win98 or WinMe with DRIVER Install."},
  };
  for (const auto& row : rows) {
    start(kXp, {operatorReader("E", "000000000001", row.hwRevision)});
    program().osMode = row.osMode;
    program().ispEnabled = row.ispEnabled;
    program().msMode = row.msMode;
    program().statusLog = "before";
    const std::uint32_t devices = program().deviceTable.deviceCount;

    ispCommand(program(), routes());
    const auto ispBoxes = boxes();
    ASSERT_EQ(ispBoxes.size(), 1u) << row.name;
    EXPECT_EQ(ispBoxes[0].text, row.ispText) << row.name;
    EXPECT_EQ(ispBoxes[0].icon, MessageIcon::Warning) << row.name;
    EXPECT_EQ(program().statusLog, "before") << row.name;
    EXPECT_EQ(program().deviceTable.deviceCount, devices) << row.name;
    EXPECT_TRUE(fixture_->machine().requests("jumpToIsp").empty()) << row.name;

    fixture_->harness.transcript.clear();
    verifyCommand(program(), routes());
    if (row.verifyText != nullptr) {
      const auto verifyBoxes = boxes();
      ASSERT_EQ(verifyBoxes.size(), 1u) << row.name;
      EXPECT_EQ(verifyBoxes[0].text, row.verifyText) << row.name;
      EXPECT_EQ(program().statusLog, "before") << row.name;
    }
  }
}

TEST_F(OperatorCommands, Windows2000ProgramsOnlyALoneReaderAfterARescan) {
  struct Row {
    const char* name;
    std::vector<ReaderDescription> readers;
    const char* boxText;
    MessageIcon icon;
    std::uint32_t successes;
  };
  const Row rows[] = {
      {"one reader", {operatorReader("E", "000000000001")}, nullptr, MessageIcon::None, 1},
      {"two readers", {operatorReader("E", "000000000001"), operatorReader("F", "000000000002")},
       "ISP_E7: There are more then one USB device were detected!!!\n        ISP can't process normally!!! ",
       MessageIcon::Information, 0},
  };
  for (const auto& row : rows) {
    start(k2000, row.readers);
    ispEnableClicked(program());
    ispCommand(program(), routes());
    const auto shown = boxes();
    if (row.boxText == nullptr) {
      EXPECT_TRUE(shown.empty()) << row.name;
    } else {
      ASSERT_EQ(shown.size(), 1u) << row.name;
      EXPECT_EQ(shown[0].text, row.boxText) << row.name;
      EXPECT_EQ(shown[0].icon, row.icon) << row.name;
    }
    EXPECT_EQ(program().tally.successCount, row.successes) << row.name;
    EXPECT_EQ(fixture_->machine().openHandleCount(), 0u) << row.name;
  }
}

TEST_F(OperatorCommands, Windows2000WithTheReaderGoneWarnsOfAnUnknownError) {
  start(k2000, {operatorReader("E", "000000000001")});
  ispEnableClicked(program());
  fixture_->machine().reader(1).failures.failures = {{"inquiry", 2, FailureKind::Transport}};
  ispCommand(program(), routes());
  expectOneWarning("Error: Unknow error happen!!!");
  EXPECT_EQ(program().deviceTable.deviceCount, 0u) << "the rescanned table stays";
  EXPECT_EQ(program().tally.totalCount, 0u);
}

TEST_F(OperatorCommands, TenReadersListUpToColonAndTheLastCanBeChosen) {
  std::vector<ReaderDescription> readers;
  readers.reserve(10);
  for (int i = 0; i < 10; ++i) {
    readers.push_back(operatorReader(std::string(1, static_cast<char>('E' + i)), "00000000000" + std::to_string(i)));
  }
  start(k2000, readers);
  const auto& list = fixture_->deviceList();
  EXPECT_EQ(list.items, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", ":"}));

  ASSERT_TRUE(fixture_->harness.mainView.chooseListItem(1030, ":"));
  deviceSelectChanged(program());
  EXPECT_EQ(program().deviceTable.selectedIndex, 9u);
  EXPECT_NE(fixture_->harness.mainView.controlText(1024).find("[N:]"), std::string::npos);

  program().osMode = OsMode::WinXp;
  fixture_->harness.transcript.clear();
  deviceSelectChanged(program());
  expectOneWarning("AP must run under win98 or WinMe with self-driver");
}

TEST_F(OperatorCommands, DriverSelectChangeEndsWithItsBoxEvenAfterAFailedScan) {
  start(kXp, {});
  driverSelectChanged(program(), routes());
  expectOneWarning("OnSelchangeComboDropdown success");
  EXPECT_TRUE(fixture_->reportArea().starts_with("\nERROR: Device Not Ready when GET DEVICE VERSION!! "));
}

TEST_F(OperatorCommands, SelfDriverClickOnWindows98RefillsTheListAndResetsTheChoice) {
  start(kXp, {});
  program().osMode = OsMode::Win98;
  program().selectedDriverName = "QM_URDR.PDR";
  selfDriverClicked(program());
  EXPECT_TRUE(program().selfDriverChosen);
  EXPECT_EQ(fixture_->driverList().items, (std::vector<std::string>{"KV20DISK.PDR", "KVDKPDRV.PDR", "QM_URDR.PDR"}));
  EXPECT_EQ(fixture_->driverList().selected, 1);
  EXPECT_EQ(program().selectedDriverName, "KVDKPDRV.PDR");
  EXPECT_TRUE(program().statusLog.empty());
}

}  // namespace
}  // namespace updater

namespace updater {
namespace {

constexpr WindowsVersion k98{false, 4, 10};
constexpr WindowsVersion kMe{false, 4, 90};
constexpr WindowsVersion k2000Summary{true, 5, 0};
constexpr WindowsVersion kXpSummary{true, 5, 1};

constexpr const char* kIspBanner = "==  Internal System Program Ver1.60";
constexpr const char* kVerifyBanner = "==  Verify Firmware Program Ver1.60";
constexpr const char* kMsIspBanner = "==  MS Internal System Program Ver1.10";
constexpr const char* kMsVerifyBanner = "==  MS Romcode Verify Program  Ver1.10";
constexpr const char* kMsIspRefusal = "ISP_E9: MS ISP must run under win98 or WinMe with DRIVER Install.";
constexpr const char* kMsVerifyRefusal = "ISP_E9: ISP must run under win98 or WinMe with DRIVER Install.";

enum class Command { Isp, Verify };

struct SummaryRow {
  const char* name;
  WindowsVersion windows;
  bool selfDriver;
  bool msMode;
  Command command;
  const char* banner;   // the job that ran, by its banner; nullptr: refused
  const char* refusal;  // the warning box of a refusal
  const char* route;    // the route of the loader's commands; nullptr: not checked
};

// Every row of the summary of what each command runs.
const SummaryRow kSummaryRows[] = {
    {"98 ISP", k98, false, false, Command::Isp, kIspBanner, nullptr, "SelfDriverPort"},
    {"98 MS ISP", k98, false, true, Command::Isp, kMsIspBanner, nullptr, nullptr},
    {"98 verify", k98, false, false, Command::Verify, kVerifyBanner, nullptr, "SelfDriverPort"},
    {"98 MS verify", k98, false, true, Command::Verify, kMsVerifyBanner, nullptr, nullptr},
    {"ME driver ISP", kMe, true, false, Command::Isp, kIspBanner, nullptr, "SelfDriverPort"},
    {"ME driver MS ISP", kMe, true, true, Command::Isp, kMsIspBanner, nullptr, nullptr},
    {"ME driver verify", kMe, true, false, Command::Verify, kVerifyBanner, nullptr, "SelfDriverPort"},
    {"ME driver MS verify", kMe, true, true, Command::Verify, kMsVerifyBanner, nullptr, nullptr},
    {"ME ISP", kMe, false, false, Command::Isp, kIspBanner, nullptr, "Aspi"},
    {"ME MS ISP", kMe, false, true, Command::Isp, nullptr, kMsIspRefusal, nullptr},
    {"ME verify", kMe, false, false, Command::Verify, kVerifyBanner, nullptr, "Aspi"},
    {"ME MS verify", kMe, false, true, Command::Verify, nullptr, kMsVerifyRefusal, nullptr},
    {"2000 driver ISP", k2000Summary, true, false, Command::Isp, kIspBanner, nullptr, "SelfDriverNt"},
    {"2000 driver MS ISP", k2000Summary, true, true, Command::Isp, nullptr, kMsIspRefusal, nullptr},
    {"2000 driver verify", k2000Summary, true, false, Command::Verify, kVerifyBanner, nullptr, "SelfDriverNt"},
    {"2000 driver MS verify", k2000Summary, true, true, Command::Verify, nullptr, kMsVerifyRefusal, nullptr},
    {"2000 ISP", k2000Summary, false, false, Command::Isp, kIspBanner, nullptr, "PassThrough"},
    {"2000 MS ISP", k2000Summary, false, true, Command::Isp, nullptr, kMsIspRefusal, nullptr},
    {"2000 verify", k2000Summary, false, false, Command::Verify, kVerifyBanner, nullptr, "PassThrough"},
    {"2000 MS verify", k2000Summary, false, true, Command::Verify, nullptr, kMsVerifyRefusal, nullptr},
    {"XP ISP", kXpSummary, false, false, Command::Isp, kIspBanner, nullptr, "PassThrough"},
    {"XP MS ISP", kXpSummary, false, true, Command::Isp, nullptr, kMsIspRefusal, nullptr},
    {"XP verify", kXpSummary, false, false, Command::Verify, kVerifyBanner, nullptr, "PassThrough"},
    {"XP MS verify", kXpSummary, false, true, Command::Verify, nullptr, kMsVerifyRefusal, nullptr},
};

MachineDescription summaryMachine(WindowsVersion windows, bool ntSelfDriver = false) {
  ReaderDescription reader = operatorReader("E", "000000000001");
  // The NT self driver's readers report its fixed identity.
  if (ntSelfDriver) reader.inquiry = {"", "USB Reader", "01.A"};
  MachineDescription machine = operatorMachine(windows, {reader});
  machine.selfDrivers = {"KVDKPDRV", "UDSKIO"};
  return machine;
}

std::string firstVendorRoute(SimMachine& machine) {
  const auto jumps = machine.requests("jumpToIsp");
  return jumps.empty() ? std::string("none") : jumps.front().route;
}

TEST(OperatorCommandSummary, EachFamilyAndChoiceRunsItsJobOnItsRouteOrRefuses) {
  for (const auto& row : kSummaryRows) {
    const bool ntSelfDriver = row.windows.nt && row.windows.minor == 0 && row.selfDriver;
    OperatorFixture fixture(summaryMachine(row.windows, ntSelfDriver));
    ASSERT_TRUE(initialiseMainWindow(fixture.program(), *fixture.routes)) << row.name;
    if (row.selfDriver) selfDriverClicked(fixture.program());
    ispEnableClicked(fixture.program());
    if (row.msMode) msModeClicked(fixture.program());
    getInfo(fixture.program(), *fixture.routes);
    fixture.harness.transcript.clear();

    if (row.command == Command::Isp) {
      ispCommand(fixture.program(), *fixture.routes);
    } else {
      verifyCommand(fixture.program(), *fixture.routes);
    }

    const std::string& log = fixture.program().statusLog;
    if (row.banner != nullptr) {
      EXPECT_NE(log.find(row.banner), std::string::npos) << row.name << ":\n" << log;
      if (row.route != nullptr) {
        EXPECT_EQ(firstVendorRoute(fixture.machine()), row.route) << row.name;
      }
    } else {
      const auto boxes = fixture.boxes();
      ASSERT_EQ(boxes.size(), 1u) << row.name;
      EXPECT_EQ(boxes[0].text, row.refusal) << row.name;
      EXPECT_TRUE(fixture.machine().requests("jumpToIsp").empty()) << row.name;
    }
    EXPECT_TRUE(fixture.machine().violations().empty()) << row.name << ": " << fixture.machine().violations()[0];
  }
}

TEST(OperatorCommandSummary, AMissingDriverIsReportedInTheLogOnly) {
  struct Row {
    const char* name;
    WindowsVersion windows;
    Command command;
    const char* line;
    bool tally;
  };
  const Row rows[] = {
      {"98 ISP", k98, Command::Isp, "\nISP_E3: Can't Load the Driver : KVDKPDRV.PDR", true},
      {"ME ISP", kMe, Command::Isp, "\nISP_E4: Can't Load the Driver : KVDKPDRV.PDR", true},
      {"2000 ISP", k2000Summary, Command::Isp, "\nISP_E6: Can't Load the Driver : UDSKIO.SYS", false},
      {"98 verify", k98, Command::Verify, "\nCan't Load the Driver : KVDKPDRV.PDR", false},
      {"2000 verify", k2000Summary, Command::Verify, "\nCan't Load the Driver : UDSKIO.SYS", false},
  };
  for (const auto& row : rows) {
    MachineDescription machine = summaryMachine(row.windows);
    machine.selfDrivers.clear();
    OperatorFixture fixture(machine);
    ASSERT_TRUE(initialiseMainWindow(fixture.program(), *fixture.routes)) << row.name;
    if (row.windows.nt || row.windows.minor == 90) selfDriverClicked(fixture.program());
    ispEnableClicked(fixture.program());
    fixture.harness.transcript.clear();
    if (row.command == Command::Isp) {
      ispCommand(fixture.program(), *fixture.routes);
    } else {
      verifyCommand(fixture.program(), *fixture.routes);
    }
    const std::string expected =
        std::string(row.line) + (row.tally ? "\n\nSuccess Number Of ISP: 0\nError   Number Of ISP: 0\nTotal   Number Of ISP: 0"
                                           : "");
    EXPECT_EQ(fixture.program().statusLog, expected) << row.name;
    EXPECT_EQ(fixture.reportArea(), expected) << row.name;
    EXPECT_TRUE(fixture.boxes().empty()) << row.name;
  }
}

}  // namespace
}  // namespace updater
