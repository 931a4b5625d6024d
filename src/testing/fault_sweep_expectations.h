#pragma once

// What the fault sweep expects of each failed request and file call: the
// report the operator must get (message boxes, StatusLog line, whether a
// status window ran); per scenario, which step each request or file call is
// and which report a failure of each kind there calls for; and how many
// requests of each command, and file calls of each kind, a clean run makes.
// The texts are the program's own.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/main_view.h"
#include "platform/sim/failure_plan.h"
#include "platform/sim/file_fault_plan.h"
#include "testing/fault_scenario.h"

namespace updater {

/// The report a failed step calls for; `None` when the run goes through.
enum class Report {
  None,
  ScanNotReady,      // the scan found no reader
  AspiStatusError,   // the ASPI scan's identify failed
  AccessFailed,      // the route's start could not reach the reader
  AspiConfirmError,  // the ASPI start's identify failed
  NoReaderOnRescan,  // Windows 2000 scans again before ISP and finds none
  NoAddressRecord,   // the rescan read an identity of zeros: no address file to patch by
  Jump,
  JumpStatus,
  Program,
  ProgramStatus,
  Compare,
  CompareStatus,
  MsNotReady,
  MsSwitchNotWritten,
  MsSwitchStatus,
  MsLoaderNotReady,
  MsTransfer,
  MsSwitchBackNotWritten,
  MsSwitchBackStatus,
  SerialNotSaved,  // the reader is programmed, but SERIAL.TXT could not be saved
  HistoryNotWritten,  // the run went through, but its record did not go into HISTORY.CSV
};

struct ExpectedBox {
  std::string text;
  MessageIcon icon;
};

struct ExpectedReport {
  std::vector<ExpectedBox> boxes;
  std::string logLine;  // appended as "\n" + line; empty: no line
  bool window;          // whether the run opened a status window
};

/// The boxes, StatusLog line and window of `report` in `job`.
ExpectedReport expectedReport(SweepJob job, Report report);

/// The report a failure of `kind` at the `occurrence`-th request of
/// `command` calls for in `scenario`; none for a request the tables do not
/// know.
std::optional<Report> reportForFailure(const FaultScenario& scenario, const std::string& command, int occurrence,
                                       FailureKind kind);

/// One entry of a scenario's step tables: the `occurrence`-th request of
/// `command`.
struct StepEntry {
  std::string command;
  int occurrence;
};

/// Every entry of the step tables of `scenario`, in table order.
std::vector<StepEntry> stepEntries(const FaultScenario& scenario);

/// How many requests of each command a clean run of `scenario` makes, as
/// written down here; empty for a scenario the table does not know.
std::map<std::string, int> cleanRunRequests(const FaultScenario& scenario);

/// The report `fault` at the `occurrence`-th file call of its kind calls
/// for in `scenario`; none for a file call the tables do not know.
std::optional<Report> reportForFileFault(const FaultScenario& scenario, FileFault fault, int occurrence);

/// One entry of a scenario's file step tables: `fault` at the
/// `occurrence`-th call of its kind.
struct FileStepEntry {
  FileFault fault;
  int occurrence;
};

/// Every entry of the file step tables of `scenario`, in table order.
std::vector<FileStepEntry> fileStepEntries(const FaultScenario& scenario);

/// How many file calls of each kind a clean run of `scenario` makes, as
/// written down here; empty for a scenario that writes no file.
std::map<FileCall, int> cleanRunFileCalls(const FaultScenario& scenario);

/// Whether a programming run's failure counts in the tally's errorCount:
/// those after the loader answered IspReady.
bool countsAsError(Report report);

/// Whether the reader ends programmed: the run succeeded, perhaps short of
/// saving the counter.
bool programsTheReader(Report report);

}  // namespace updater
