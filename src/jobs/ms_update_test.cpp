#include "jobs/ms_update.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/program.h"
#include "app/route_operations.h"
#include "device/route_registry.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr std::string_view kHead =
    "========================================================\n"
    "==  MS Internal System Program Ver1.10                ==\n"
    "========================================================\n"
    "==  ROMCODE = MSFW.BIN || VxD DRIVER = UDSKIO.SYS \n"
    "========================================================";
constexpr std::string_view kVerifyHead =
    "========================================================\n"
    "==  MS Romcode Verify Program  Ver1.10                ==\n"
    "========================================================\n"
    "==  ROMCODE = MSFW.BIN || VxD DRIVER = UDSKIO.SYS \n"
    "========================================================";

ReaderDescription msReader() {
  ReaderDescription reader;
  reader.letters = "E";
  reader.serial = "000000000001";
  reader.msRevision = "verM2.0a";
  reader.msLoaderRevision = "verL1.0a";
  reader.msFirmware = {0x11, 0x22};
  return reader;
}

std::string msFile(std::size_t length) {
  const auto bytes = testImage(length, 3);
  return std::string(bytes.begin(), bytes.end());
}

class MsUpdate : public ::testing::Test {
 protected:
  /// A Windows ME machine with the port self driver and `reader`; the
  /// operator's command has opened the driver.
  void build(const ReaderDescription& reader = msReader()) {
    // Routes over the machine being replaced go first.
    routes_.reset();
    MachineDescription machine = harnessMachine();
    machine.windows = {false, 4, 90};
    machine.selfDrivers = {"UDSKIO"};
    machine.readers = {reader};
    harness_ = std::make_unique<ProgramHarness>(machine);
    Program& p = program();
    p.workingDirectory = directory_.path();
    p.osMode = OsMode::WinMe;
    p.selfDriverChosen = true;
    p.selectedDriverName = "UDSKIO.SYS";
    const std::string_view name = "MSFW.BIN";
    std::copy(name.begin(), name.end(), p.userIspData.msRomCodeFile.begin());
    routes_ = std::make_unique<RouteSet>(harness_->machine);
    ASSERT_EQ(openSelfDriver(p, *routes_), 0);
  }

  void run(int mode, std::size_t fileLength = 1000) {
    directory_.writeFile("MSFW.BIN", msFile(fileLength));
    update(mode);
  }

  /// The update as the operator command runs it.
  void update(int mode) {
    Program& p = program();
    RunSink sink = p.sink();
    JobContext job = p.jobContext(sink, routes_->selected(p.routeInputs()));
    runMsUpdate(job, routes_->selfDriverPort(), mode);
  }

  Program& program() { return *harness_->program; }
  SimMachine& machine() { return harness_->machine; }
  SimMsController& ms() { return machine().reader(1).msLoader; }

  std::vector<std::string> boxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : harness_->messageBoxes()) texts.push_back(box.text);
    return texts;
  }

  std::size_t count(std::string_view request) { return machine().requests(std::string(request)).size(); }

  /// No message box while the status window was visible: it would cover it.
  void expectNoBoxOverTheWindow() {
    bool visible = false;
    for (const auto& event : harness_->transcript.events()) {
      if (event.kind == EventKind::StatusWindow && event.name == "show") visible = true;
      if (event.kind == EventKind::StatusWindow && (event.name == "hide" || event.name == "destroy")) visible = false;
      if (event.kind == EventKind::MessageBox) {
        EXPECT_FALSE(visible) << "the status window covers \"" << event.text << '"';
      }
    }
  }

  /// What every run leaves: the driver closed, no registry key open, the
  /// window hidden, no box covered by it, nothing rejected.
  void expectCleanEnd() {
    expectNoBoxOverTheWindow();
    EXPECT_EQ(machine().openHandleCount(), 0u);
    EXPECT_EQ(machine().openRegistryKeyCount(), 0u);
    EXPECT_TRUE(machine().violations().empty()) << machine().violations().front();
    EXPECT_FALSE(harness_->statusView.visible());
    EXPECT_EQ(harness_->statusView.misuses(), 0);
    EXPECT_EQ(program().deviceTable.selectedIndex, 0u);
  }

  TemporaryDirectory directory_;
  std::unique_ptr<ProgramHarness> harness_;
  std::unique_ptr<RouteSet> routes_;
};

TEST_F(MsUpdate, ProgramsTheControllerThroughItsLoaderAndSwitchesBack) {
  build();
  run(kMsProgram);
  EXPECT_EQ(program().statusLog, std::string(kHead) +
                                     "\nMS 32K Revision[before ISP]:verM2.0a"
                                     "\nSUCCESS! MS ISP STATUS:9c [F/W jump into MS ISP now]"
                                     "\nMS 4K_ISPCode  Revision :verL1.0a"
                                     "\nSUCCESS! ISP STATUS:a5 [Write Data sucessfull]"
                                     "\nSUCCESS! MS STATUS:9c [F/W jump into MS 32K now]");
  EXPECT_TRUE(boxTexts().empty());
  const std::string file = msFile(1000);
  EXPECT_EQ(ms().flash, std::vector<Byte>(file.begin(), file.end()));
  EXPECT_FALSE(ms().inLoader()) << "back in its main program";
  EXPECT_TRUE(machine().reader(1).loader.flash.empty()) << "the main controller is untouched";
  EXPECT_EQ(harness_->statusView.label(), "    ISP status : ");
  EXPECT_EQ(harness_->barPositions(), (std::vector<int>{1, 4, 6, 8, 10}));
  EXPECT_EQ(machine().sleeps(), std::vector<std::uint32_t>{100});
  EXPECT_EQ(count("sendIspData"), 1u);
  EXPECT_EQ(machine().requests("sendIspData")[0].length, 1000u);
  EXPECT_EQ(program().tally.totalCount, 0u);
  expectCleanEnd();
}

TEST_F(MsUpdate, VerifiesWithoutWriting) {
  ReaderDescription reader = msReader();
  const std::string file = msFile(1000);
  reader.msFirmware.assign(file.begin(), file.end());
  build(reader);
  run(kMsVerify);
  EXPECT_EQ(program().statusLog, std::string(kVerifyHead) +
                                     "\nMS 32K Revision :verM2.0a"
                                     "\nSUCCESS! MS ISP STATUS:9c [F/W jump into MS ISP now]"
                                     "\nMS 4K_ISPCode  Revision :verL1.0a"
                                     "\nSUCCESS! ISP STATUS:a5 [Verify Data sucessfull]"
                                     "\nSUCCESS! MS STATUS:9c [F/W jump into MS 32K now]");
  EXPECT_EQ(harness_->statusView.label(), " Verify status : ");
  EXPECT_EQ(ms().programCount(), 0);
  EXPECT_TRUE(boxTexts().empty());
  expectCleanEnd();
}

TEST_F(MsUpdate, TheFirmwareFileIsOneTo32768Bytes) {
  struct Row {
    const char* name;
    std::optional<std::size_t> length;  // none: no file
    const char* box;                    // "" for none
    const char* logLine;
  };
  const Row rows[] = {
      {"32768 bytes", 32768, "", "SUCCESS! MS STATUS:9c [F/W jump into MS 32K now]"},
      {"32769 bytes", 32769, "Error!!! File too large !!!, 32769", "Error!!! File too large !!!, 32769"},
      {"empty", 0, "Error!!! Problem reading file!!!", "Error!!! Problem reading ROM code file!!!"},
      {"missing", std::nullopt, "Error!!! Can Not Open MSFW.BIN ISP Binary ROM Code",
       "Error!!! Can Not Open MSFW.BIN ISP Binary ROM Code"},
  };
  for (const auto& row : rows) {
    build();
    directory_.remove("MSFW.BIN");
    if (row.length) directory_.writeFile("MSFW.BIN", msFile(*row.length));
    update(kMsProgram);
    EXPECT_EQ(boxTexts(), *row.box ? std::vector<std::string>{row.box} : std::vector<std::string>{}) << row.name;
    EXPECT_TRUE(program().statusLog.ends_with(std::string("\n") + row.logLine)) << row.name << program().statusLog;
    EXPECT_EQ(count("deviceCount"), *row.box ? 0u : 2u) << row.name << ": a refused file reaches no device";
    if (!*row.box) {
      EXPECT_EQ(ms().flash.size(), 32768u) << row.name;
    }
    expectCleanEnd();
  }
}

TEST_F(MsUpdate, VerifyRefusesAnOldMainProgramBeforeAnySwitch) {
  ReaderDescription reader = msReader();
  reader.msRevision = "verM1.2b";
  build(reader);
  run(kMsVerify);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{"ERROR: Device Not Support Verify Cammand!! "});
  EXPECT_EQ(program().statusLog, std::string(kVerifyHead) +
                                     "\nMS 32K Revision :verM1.2b"
                                     "\nERROR: Device Not Support Verify Cammand!! ");
  EXPECT_EQ(count("blockWrite"), 0u);
  EXPECT_FALSE(ms().inLoader());
  expectCleanEnd();
}

TEST_F(MsUpdate, ARefusedTransferIsTriedThreeTimesThenTheControllerIsSwitchedBack) {
  ReaderDescription reader = msReader();
  reader.msAnswers.transfer = {0x33};
  build(reader);
  run(kMsProgram);
  EXPECT_EQ(count("sendIspData"), 3u);
  const std::string& log = program().statusLog;
  EXPECT_NE(log.find("\nWarning! Retry program the Firmware : 1st Time!!!"), std::string::npos);
  EXPECT_NE(log.find("\nWarning! Retry program the Firmware : 2st Time!!!"), std::string::npos);
  constexpr std::string_view kDebugLine =
      "\nError!!! DEBUG : MS ISP reponse status : 33\nError!!! JMP MS ISP reponse status  != 0xA5 !!!";
  std::size_t debugLines = 0;
  for (std::size_t at = log.find(kDebugLine); at != std::string::npos; at = log.find(kDebugLine, at + 1)) {
    ++debugLines;
  }
  EXPECT_EQ(debugLines, 3u);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{"Error!!! MS ISP OR Verify Fail!!!"});
  EXPECT_EQ(count("blockWrite"), 2u) << "switched back all the same";
  EXPECT_TRUE(log.ends_with("\nSUCCESS! MS STATUS:9c [F/W jump into MS 32K now]"));
  EXPECT_FALSE(ms().inLoader());
  expectCleanEnd();
}

TEST_F(MsUpdate, AnOldLoaderGetsOneTransferAndIsNotSwitchedBack) {
  ReaderDescription reader = msReader();
  reader.msRevision = "verM1.1a";
  reader.msAnswers.transfer = {0x33};
  build(reader);
  run(kMsProgram);
  EXPECT_EQ(count("sendIspData"), 1u);
  EXPECT_EQ(program().statusLog.find("Warning! Retry"), std::string::npos);
  EXPECT_EQ(boxTexts(), std::vector<std::string>{"Error!!! MS ISP OR Verify Fail!!!"});
  EXPECT_EQ(count("blockWrite"), 1u);
  EXPECT_TRUE(ms().inLoader()) << "the controller stays in its loader";
  EXPECT_TRUE(program().statusLog.ends_with("\nError!!! DEBUG : MS ISP reponse status : 33\n"
                                            "Error!!! JMP MS ISP reponse status  != 0xA5 !!!"));
  expectCleanEnd();
}

TEST_F(MsUpdate, ALoaderWithoutAVersionIsTakenAsAnOldLoader) {
  struct Row {
    const char* name;
    int mode;
    const char* revisionLine;
  };
  const Row rows[] = {
      {"program", kMsProgram, "\nMS 4K_ISPCode  Revision :Not Support Get Version.\n"},
      {"verify", kMsVerify,
       "\nMS 4K_ISPCode  Revision :Not Support Get Version!!!\n"
       "Warning: Device must remove from PC, then connect again.\n"},
  };
  for (const auto& row : rows) {
    ReaderDescription reader = msReader();
    reader.msLoaderRevision = "L1.3";
    const std::string file = msFile(1000);
    reader.msFirmware.assign(file.begin(), file.end());
    build(reader);
    run(row.mode);
    EXPECT_NE(program().statusLog.find(row.revisionLine), std::string::npos) << row.name << program().statusLog;
    EXPECT_TRUE(program().statusLog.ends_with(" sucessfull]")) << row.name;
    EXPECT_TRUE(boxTexts().empty()) << row.name;
    EXPECT_EQ(count("blockWrite"), 1u) << row.name << ": no switch back";
    EXPECT_TRUE(ms().inLoader()) << row.name;
    expectCleanEnd();
  }
}

TEST_F(MsUpdate, EachFailureIsReportedOnceAndClosesTheDriver) {
  struct Row {
    const char* name;
    std::vector<InjectedFailure> failures;
    MsLoaderScript answers;
    std::vector<std::string> boxes;
    const char* logEnd;
    std::size_t blockWrites;
  };
  const std::vector<InjectedFailure> silent = {{"identifyA", 1, FailureKind::Transport},
                                               {"identifyB", 1, FailureKind::Transport},
                                               {"fwRevision", 1, FailureKind::Transport}};
  const Row rows[] = {
      {"no device", silent, {}, {"ERROR: Device Not Ready for ISP!! \n  P/S: May be the [MS Card not insert] or other problem!!!"},
       "\nERROR: Device Not Ready for ISP!! \n  P/S: May be the [MS Card not insert] or other problem!!!", 0},
      {"switch not written", {{"blockWrite", 1, FailureKind::Transport}}, {},
       {"Write data Error\n", "Error!!! JMP MS ISP STATUS ERROR!!!"}, "\nError!!! JMP MS ISP STATUS ERROR!!!", 1},
      {"switch status unread", {{"getIspStatus", 1, FailureKind::Transport}}, {},
       {"Error!!! GET MS ISP STATUS ERROR!!!"}, "\nError!!! GET MS ISP STATUS ERROR!!!", 1},
      {"switch answered 9b", {}, {{0x9B}, {}, {}},
       {"Error!!! DEBUG : JMP MS ISP reponse status : 9b\nError!!! JMP MS ISP reponse status  != 0x9c !!!"},
       "\nError!!! DEBUG : JMP MS ISP reponse status : 9b\nError!!! JMP MS ISP reponse status  != 0x9c !!!", 1},
      {"loader not found", {{"identifyA", 2, FailureKind::Transport}, {"identifyB", 1, FailureKind::Transport},
                            {"fwRevision", 2, FailureKind::Transport}}, {},
       {"ERROR: Device Not Support Verify Cammand!! \n  P/S: Device must remove from PC, then connect again."},
       "\nERROR: Device Not Support Verify Cammand!! \n  P/S: Device must remove from PC, then connect again.", 1},
      {"transfer failed", {{"sendIspData", 1, FailureKind::Transport}}, {},
       {"Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!"},
       "\nError!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!", 1},
      {"transfer status unread", {{"getIspStatus", 2, FailureKind::Transport}}, {},
       {"Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!"},
       "\nError!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!", 1},
      {"switch back not written", {{"blockWrite", 2, FailureKind::Transport}}, {},
       {"Write data Error\n", "Error!!! JMP MS ISP STATUS ERROR!!!"}, "\nError!!! JMP MS 32K STATUS ERROR!!!", 2},
      {"switch back unread", {{"getIspStatus", 3, FailureKind::Transport}}, {},
       {"Error!!! GET MS ISP STATUS ERROR!!!"}, "\nError!!! GET MS 32K STATUS ERROR!!!", 2},
      {"switch back answered 0", {}, {{}, {}, {0x00}},
       {"Error!!! DEBUG : JMP MS ISP reponse status : 0\nError!!! JMP MS 32K reponse status  != 0x9c !!!"},
       "\nError!!! DEBUG : JMP MS ISP reponse status : 0\nError!!! JMP MS 32K reponse status  != 0x9c !!!", 2},
  };
  for (const auto& row : rows) {
    ReaderDescription reader = msReader();
    reader.failures = row.failures;
    reader.msAnswers = row.answers;
    build(reader);
    run(kMsProgram);
    EXPECT_EQ(boxTexts(), row.boxes) << row.name;
    EXPECT_TRUE(program().statusLog.ends_with(row.logEnd)) << row.name << ": " << program().statusLog;
    EXPECT_EQ(count("blockWrite"), row.blockWrites) << row.name;
    EXPECT_EQ(program().tally.errorCount, 0u) << row.name;
    expectCleanEnd();
  }
}

}  // namespace
}  // namespace updater
