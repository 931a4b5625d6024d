// The fault sweep: every device request of every scenario (each route's scan,
// programming and verify job, and the Memory Stick update) fails in turn, in
// transport, by SCSI status, and by the reader vanishing just before it; and
// every file call a scenario makes (the save of SERIAL.TXT) meets each fault
// of its kind in turn: a failed create, write, flush, close or rename, a
// short write, a full disk. The rows are generated from a clean run of each
// scenario, whose failure plans count the requests of each command and the
// file calls of each kind; those counts must be the ones written down beside
// the step tables, and every entry of the step tables must have its rows, so
// that no row goes missing unnoticed. After each run the
// operator must have been told exactly what the step's failure calls for,
// with no box waiting for the operator while SERIAL.TXT's lock is held (a
// second station sharing the folder would be refused meanwhile),
// and nothing may be left behind: no visible or living status window, no
// open handle or file, no loaded ASPI layer, a consistent tally, SERIAL.TXT
// untouched unless the run succeeded and no staging file of it, and a flash
// that holds the old image or the new one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/main_window.h"
#include "app/program.h"
#include "testing/fault_scenario.h"
#include "testing/fault_sweep_expectations.h"
#include "testing/history_csv.h"

namespace updater {
namespace {

// --- Rows ----------------------------------------------------------------------------

/// What a clean run of a scenario did: the requests and file calls it made,
/// and what it left in the flash and in SERIAL.TXT.
struct CleanRun {
  std::map<std::string, int> counts;
  std::map<FileCall, int> fileCalls;
  std::vector<Byte> flash;
  std::vector<Byte> msFlash;
  std::string serialFile;
};

const CleanRun& cleanRun(const FaultScenario& scenario) {
  static std::map<std::string, CleanRun> runs;
  const std::string name = scenarioName(scenario);
  const auto found = runs.find(name);
  if (found != runs.end()) return found->second;
  FaultScenarioRun run(scenario);
  run.run();
  CleanRun clean{run.reader().failures.counts(), run.machine().fileFaults.counts(), run.reader().loader.flash,
                 run.reader().msLoader.flash, run.serialFile()};
  return runs.emplace(name, std::move(clean)).first->second;
}

struct SweepRow {
  FaultScenario scenario;
  std::string command;
  int occurrence;
  FailureKind kind;
};

const char* kindName(FailureKind kind) {
  switch (kind) {
    case FailureKind::Transport: return "Transport";
    case FailureKind::ScsiStatus: return "ScsiStatus";
    case FailureKind::Unplugged: return "Unplugged";
  }
  return "?";
}

// ctest runs each test in a process of its own and names it exactly. The
// rows come from clean runs of every scenario, which a process asked only
// for other tests by name need not make.
bool sweepMayRun() {
  const std::string filter = GTEST_FLAG_GET(filter);
  const std::string positive = filter.substr(0, filter.find('-'));
  if (positive.empty() || positive.find_first_of("*?") != std::string::npos) return true;
  return positive.find("FaultSweep") != std::string::npos;
}

std::vector<SweepRow> sweepRows() {
  std::vector<SweepRow> rows;
  if (!sweepMayRun()) return rows;
  for (const auto& scenario : faultScenarios()) {
    for (const auto& [command, count] : cleanRun(scenario).counts) {
      for (int occurrence = 1; occurrence <= count; ++occurrence) {
        for (const FailureKind kind : {FailureKind::Transport, FailureKind::ScsiStatus, FailureKind::Unplugged}) {
          rows.push_back({scenario, command, occurrence, kind});
        }
      }
    }
  }
  return rows;
}

struct FileSweepRow {
  FaultScenario scenario;
  FileFault fault;
  int occurrence;  // of the file calls of its kind
};

std::vector<FileSweepRow> fileSweepRows() {
  std::vector<FileSweepRow> rows;
  if (!sweepMayRun()) return rows;
  for (const auto& scenario : faultScenarios()) {
    for (const auto& [call, count] : cleanRun(scenario).fileCalls) {
      for (int occurrence = 1; occurrence <= count; ++occurrence) {
        for (const FileFault fault : faultsOf(call)) rows.push_back({scenario, fault, occurrence});
      }
    }
  }
  return rows;
}

std::string rowName(const ::testing::TestParamInfo<SweepRow>& info) {
  const SweepRow& row = info.param;
  return scenarioName(row.scenario) + '_' + row.command + '_' + std::to_string(row.occurrence) + '_' +
         kindName(row.kind);
}

void PrintTo(const SweepRow& row, std::ostream* out) {
  *out << scenarioName(row.scenario) << ": " << row.command << " #" << row.occurrence << ", "
       << kindName(row.kind);
}

std::string fileRowName(const ::testing::TestParamInfo<FileSweepRow>& info) {
  const FileSweepRow& row = info.param;
  return scenarioName(row.scenario) + '_' + fileCallName(callOf(row.fault)) + '_' + std::to_string(row.occurrence) +
         '_' + fileFaultName(row.fault);
}

void PrintTo(const FileSweepRow& row, std::ostream* out) {
  *out << scenarioName(row.scenario) << ": " << fileCallName(callOf(row.fault)) << " #" << row.occurrence << ", "
       << fileFaultName(row.fault);
}

// --- The invariants ------------------------------------------------------------------

std::string tallyLines(const IspTally& tally) {
  char text[128];
  std::snprintf(text, sizeof text,
                "\n\nSuccess Number Of ISP: %x\nError   Number Of ISP: %x\nTotal   Number Of ISP: %x",
                tally.successCount, tally.errorCount, tally.totalCount);
  return text;
}

std::size_t errorMentions(std::string_view text) {
  std::size_t count = 0;
  for (auto at = text.find("rror"); at != std::string_view::npos; at = text.find("rror", at + 1)) ++count;
  return count;
}

class FaultSweepCheck {
 public:
  /// `before`: the tally as the run started.
  FaultSweepCheck(FaultScenarioRun& run, Report report, const IspTally& before)
      : run_(run), job_(run.scenario().job), report_(report), expected_(expectedReport(job_, report)),
        before_(before) {}

  void all() {
    boxesAndLog();
    counterFreeWhileBoxesWait();
    statusWindow();
    tally();
    files();
    history();
    leftOpen();
  }

 private:
  void boxesAndLog() {
    const auto boxes = run_.harness().messageBoxes();
    ASSERT_EQ(boxes.size(), expected_.boxes.size()) << boxTexts(boxes);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      EXPECT_EQ(boxes[i].text, expected_.boxes[i].text);
      EXPECT_EQ(boxes[i].icon, expected_.boxes[i].icon) << boxes[i].text;
      EXPECT_EQ(boxes[i].caption, run_.program().applicationName) << boxes[i].text;
    }
    std::string log = run_.program().statusLog;
    const std::string expectedLine = expected_.logLine.empty() ? "" : "\n" + expected_.logLine;
    if (report_ == Report::NoReaderOnRescan) {
      // The command ends at once: the rescan has emptied StatusLog, and the
      // report area keeps what it showed.
      EXPECT_EQ(log, "");
      return;
    }
    EXPECT_TRUE(run_.harness().mainView.controlText(control::kReportArea).starts_with(log))
        << "the report area shows StatusLog";
    if (job_ == SweepJob::Scan) {
      EXPECT_EQ(log, expectedLine) << "the scan's log is the whole StatusLog";
      return;
    }
    if (job_ == SweepJob::Isp || job_ == SweepJob::MsProgram) {
      // The ISP button ends with the tally, whatever ran.
      const std::string tally = tallyLines(run_.program().tally);
      ASSERT_TRUE(log.ends_with(tally)) << log;
      log.resize(log.size() - tally.size());
    }
    EXPECT_TRUE(log.ends_with(expectedLine)) << "StatusLog should end with " << expectedLine << ":\n" << log;
    EXPECT_EQ(errorMentions(log), errorMentions(expectedLine)) << "one report, once:\n" << log;
  }

  void counterFreeWhileBoxesWait() {
    for (const std::string& text : run_.boxesOverHeldCounter()) {
      ADD_FAILURE() << "SERIAL.TXT's lock is held while the box \"" << text << "\" waits for the operator";
    }
  }

  // Hidden before any message box, destroyed before the command returns.
  void statusWindow() {
    bool visible = false;
    int created = 0;
    for (const auto& event : run_.harness().transcript.events()) {
      if (event.kind == EventKind::StatusWindow) {
        if (event.name == "create") ++created;
        if (event.name == "show") visible = true;
        if (event.name == "hide" || event.name == "destroy") visible = false;
      }
      if (event.kind == EventKind::MessageBox) {
        EXPECT_FALSE(visible) << "the status window covers the box \"" << event.text << '"';
      }
    }
    EXPECT_EQ(created, expected_.window ? 1 : 0);
    EXPECT_FALSE(run_.harness().statusView.exists());
    EXPECT_EQ(run_.harness().statusView.misuses(), 0);
  }

  void tally() {
    const IspTally& tally = run_.program().tally;
    EXPECT_EQ(tally.totalCount, tally.successCount + tally.errorCount);
    const bool succeeded = job_ == SweepJob::Isp && programsTheReader(report_);
    EXPECT_EQ(tally.successCount, before_.successCount + (succeeded ? 1u : 0u));
    EXPECT_EQ(tally.errorCount, before_.errorCount + (job_ == SweepJob::Isp && countsAsError(report_) ? 1u : 0u));
  }

  // The flash holds the old image or the new one as the loader leaves it
  // (the clean run's); a success has written it, and only a success of the
  // programming job advances SERIAL.TXT, exactly as the clean run did. No
  // staging file of the counter is ever left.
  void files() {
    const CleanRun& clean = cleanRun(run_.scenario());
    const bool succeeded = report_ == Report::None || report_ == Report::HistoryNotWritten;
    const auto& flash = run_.reader().loader.flash;
    const auto oldFlash = sweep_files::firmwareImage();
    EXPECT_FALSE(run_.serialStagingLeft()) << "a staging file of SERIAL.TXT is left";
    if (job_ == SweepJob::Isp) {
      EXPECT_TRUE(flash == oldFlash || flash == clean.flash) << "neither the old image nor the new one";
      if (programsTheReader(report_)) {
        EXPECT_EQ(flash, clean.flash);
        EXPECT_NE(flash, oldFlash) << "a success that wrote nothing";
      }
      EXPECT_EQ(run_.serialFile(), succeeded ? clean.serialFile : std::string(sweep_files::kSerialText));
    } else {
      EXPECT_EQ(flash, oldFlash);
      EXPECT_EQ(run_.serialFile(), sweep_files::kSerialText);
    }

    const auto& msFlash = run_.reader().msLoader.flash;
    const auto oldMsFlash =
        job_ == SweepJob::MsVerify ? sweep_files::msFirmware() : sweep_files::oldMsFirmware();
    if (job_ == SweepJob::MsProgram) {
      EXPECT_TRUE(msFlash == oldMsFlash || msFlash == clean.msFlash) << "neither the old image nor the new one";
      if (succeeded) {
        EXPECT_EQ(msFlash, sweep_files::msFirmware());
      }
    } else {
      EXPECT_EQ(msFlash, oldMsFlash);
    }
  }

  // Every job's run leaves one record in HISTORY.CSV with its result and the
  // text it ended with; a scan, or a command that ended before its job,
  // leaves none.
  void history() {
    const std::string appended = run_.historyAppended();
    if (job_ == SweepJob::Scan || report_ == Report::NoReaderOnRescan) {
      EXPECT_EQ(appended, "");
      return;
    }
    const std::vector<HistoryRow> rows = readHistoryRows(appended);
    if (report_ == Report::HistoryNotWritten) {
      // A failed flush or close may leave the record in the file, unsure.
      EXPECT_LE(rows.size(), 1u) << appended;
      return;
    }
    ASSERT_EQ(rows.size(), 1u) << appended;
    const HistoryRow& row = rows.front();
    EXPECT_EQ(row.at("job"), kJobNames[static_cast<std::size_t>(job_)]);
    const bool succeeded = job_ == SweepJob::Isp ? programsTheReader(report_) : report_ == Report::None;
    EXPECT_EQ(row.at("result"), succeeded ? "success" : "failure");
    EXPECT_EQ(row.at("message"), expected_.logLine);
  }

  static constexpr std::string_view kJobNames[] = {"", "isp", "verify", "ms-isp", "ms-verify"};

  void leftOpen() {
    SimMachine& machine = run_.machine();
    // A completed port self-driver scan keeps the driver open for the job
    // that follows; closing the window closes it.
    const bool driverKept = run_.scenario().route == AccessRoute::SelfDriverPort && job_ == SweepJob::Scan &&
                            report_ != Report::ScanNotReady;
    EXPECT_EQ(machine.openHandleCount(), driverKept ? 1u : 0u);
    EXPECT_EQ(machine.openRegistryKeyCount(), 0u);
    EXPECT_EQ(machine.openNewFileCount(), 0u);
    EXPECT_EQ(machine.loadedModuleCount(), 0);
    EXPECT_EQ(machine.pendingAspiPostings(), 0u);
    EXPECT_TRUE(machine.violations().empty()) << machine.violations().front();
  }

  static std::string boxTexts(const std::vector<TranscriptEvent>& boxes) {
    std::string text;
    for (const auto& box : boxes) text += "[" + box.text + "] ";
    return text;
  }

  FaultScenarioRun& run_;
  const SweepJob job_;
  const Report report_;
  const ExpectedReport expected_;
  const IspTally before_;
};

/// Closing the main window closes whatever the last command kept open.
void expectNothingOpenAfterClose(FaultScenarioRun& run) {
  closeMainWindow(run.program(), run.routes());
  EXPECT_EQ(run.machine().openHandleCount(), 0u);
}

// --- The sweep -----------------------------------------------------------------------

class FaultSweep : public ::testing::TestWithParam<SweepRow> {};

TEST_P(FaultSweep, EachFailedRequestIsReportedOnceAndLeavesNothingBehind) {
  const SweepRow& row = GetParam();
  const std::optional<Report> expected = reportForFailure(row.scenario, row.command, row.occurrence, row.kind);
  ASSERT_TRUE(expected) << "no expectation for this request of " << scenarioName(row.scenario);
  const Report report = *expected;
  FaultScenarioRun run(row.scenario);
  run.run({{row.command, row.occurrence, row.kind}});
  FaultSweepCheck(run, report, IspTally{}).all();

  // Nothing a failure leaves may stand in the way of the next press, while
  // the reader is still there. A Memory Stick controller may be left in its
  // loader: it must be plugged in again first, as the update says.
  const bool msUpdate = row.scenario.job == SweepJob::MsProgram || row.scenario.job == SweepJob::MsVerify;
  if (report != Report::None && row.kind != FailureKind::Unplugged && !msUpdate) {
    const IspTally before = run.program().tally;
    run.run();
    FaultSweepCheck(run, Report::None, before).all();
  }
  expectNothingOpenAfterClose(run);
}

INSTANTIATE_TEST_SUITE_P(Requests, FaultSweep, ::testing::ValuesIn(sweepRows()), rowName);
// Without rows when the process runs other tests only.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FaultSweep);

class FileFaultSweep : public ::testing::TestWithParam<FileSweepRow> {};

TEST_P(FileFaultSweep, EachFailedFileCallIsReportedOnceAndLeavesTheCounterWhole) {
  const FileSweepRow& row = GetParam();
  const std::optional<Report> expected = reportForFileFault(row.scenario, row.fault, row.occurrence);
  ASSERT_TRUE(expected) << "no expectation for this file call of " << scenarioName(row.scenario);
  FaultScenarioRun run(row.scenario);
  run.run({}, {{row.fault, row.occurrence}});
  FaultSweepCheck(run, *expected, IspTally{}).all();

  // Nothing the fault leaves may stand in the way of the next press: the
  // next save goes through, from the counter the file still holds. A
  // programming run whose record failed has used its number: the next one
  // programs another.
  const bool numberUsed = row.scenario.job == SweepJob::Isp && *expected == Report::HistoryNotWritten;
  if (*expected != Report::None && !numberUsed) {
    const IspTally before = run.program().tally;
    run.run();
    FaultSweepCheck(run, Report::None, before).all();
  }
  expectNothingOpenAfterClose(run);
}

INSTANTIATE_TEST_SUITE_P(FileCalls, FileFaultSweep, ::testing::ValuesIn(fileSweepRows()), fileRowName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(FileFaultSweep);

class FaultSweepCleanRun : public ::testing::TestWithParam<FaultScenario> {};

TEST_P(FaultSweepCleanRun, GoesThroughAndLeavesNothingBehind) {
  FaultScenarioRun run(GetParam());
  run.run();
  FaultSweepCheck(run, Report::None, IspTally{}).all();
  expectNothingOpenAfterClose(run);
}

std::string cleanRunName(const ::testing::TestParamInfo<FaultScenario>& param) { return scenarioName(param.param); }

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweepCleanRun, ::testing::ValuesIn(faultScenarios()), cleanRunName);

// --- The rows themselves -------------------------------------------------------------

class FaultSweepRows : public ::testing::TestWithParam<FaultScenario> {};

TEST_P(FaultSweepRows, CleanRunMakesTheRequestsWrittenDown) {
  const FaultScenario& scenario = GetParam();
  const std::map<std::string, int>& made = cleanRun(scenario).counts;
  const std::map<std::string, int> written = cleanRunRequests(scenario);
  ASSERT_FALSE(written.empty()) << scenarioName(scenario) << ": no request counts written down";
  std::map<std::string, int> all = written;
  all.insert(made.begin(), made.end());
  for (const auto& [command, ignored] : all) {
    const auto madeCount = made.find(command);
    const auto writtenCount = written.find(command);
    const int madeRequests = madeCount == made.end() ? 0 : madeCount->second;
    const int writtenRequests = writtenCount == written.end() ? 0 : writtenCount->second;
    EXPECT_EQ(madeRequests, writtenRequests)
        << scenarioName(scenario) << ": a clean run makes " << madeRequests << " \"" << command
        << "\" request(s), the table of clean-run requests says " << writtenRequests;
  }
}

TEST_P(FaultSweepRows, EveryStepEntryHasItsRows) {
  const FaultScenario& scenario = GetParam();
  const std::string name = scenarioName(scenario);
  const std::vector<SweepRow> rows = sweepRows();
  for (const StepEntry& entry : stepEntries(scenario)) {
    const auto count = std::count_if(rows.begin(), rows.end(), [&](const SweepRow& row) {
      return scenarioName(row.scenario) == name && row.command == entry.command && row.occurrence == entry.occurrence;
    });
    EXPECT_EQ(count, 3) << name << ": the step \"" << entry.command << "\" #" << entry.occurrence << " has "
                        << count << " of its 3 rows, one per failure kind: a clean run does not make that request";
  }
}

TEST_P(FaultSweepRows, CleanRunMakesTheFileCallsWrittenDown) {
  const FaultScenario& scenario = GetParam();
  const std::map<FileCall, int>& made = cleanRun(scenario).fileCalls;
  const std::map<FileCall, int> written = cleanRunFileCalls(scenario);
  std::map<FileCall, int> all = written;
  all.insert(made.begin(), made.end());
  for (const auto& [call, ignored] : all) {
    const auto madeCount = made.find(call);
    const auto writtenCount = written.find(call);
    const int madeCalls = madeCount == made.end() ? 0 : madeCount->second;
    const int writtenCalls = writtenCount == written.end() ? 0 : writtenCount->second;
    EXPECT_EQ(madeCalls, writtenCalls) << scenarioName(scenario) << ": a clean run makes " << madeCalls << " \""
                                       << fileCallName(call) << "\" call(s), the table of clean-run file calls says "
                                       << writtenCalls;
  }
}

TEST_P(FaultSweepRows, EveryFileStepEntryHasItsRow) {
  const FaultScenario& scenario = GetParam();
  const std::string name = scenarioName(scenario);
  const std::vector<FileSweepRow> rows = fileSweepRows();
  for (const FileStepEntry& entry : fileStepEntries(scenario)) {
    const auto count = std::count_if(rows.begin(), rows.end(), [&](const FileSweepRow& row) {
      return scenarioName(row.scenario) == name && row.fault == entry.fault && row.occurrence == entry.occurrence;
    });
    EXPECT_EQ(count, 1) << name << ": the file step " << fileFaultName(entry.fault) << " at \""
                        << fileCallName(callOf(entry.fault)) << "\" #" << entry.occurrence
                        << " has no row: a clean run does not make that file call";
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweepRows, ::testing::ValuesIn(faultScenarios()), cleanRunName);

}  // namespace
}  // namespace updater
