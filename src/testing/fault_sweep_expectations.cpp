#include "testing/fault_sweep_expectations.h"

#include <span>
#include <string_view>

namespace updater {
namespace {

constexpr std::string_view kScanNotReady =
    "ERROR: Device Not Ready when GET DEVICE VERSION!! \n  P/S: After ISP/Verify Device must plug-out first!";
constexpr std::string_view kAccessFailed = "ERROR: Access Disk Drive Failed!!!";
constexpr std::string_view kAspiStatusError = "Windows ASPI status Error";
constexpr std::string_view kWriteDataError = "Write data Error\n";
constexpr std::string_view kMsJumpError = "Error!!! JMP MS ISP STATUS ERROR!!!";
constexpr std::string_view kMsStatusError = "Error!!! GET MS ISP STATUS ERROR!!!";
constexpr std::string_view kHistoryNotWritten = "Error!!! Can Not Write HISTORY.CSV";

/// A run that went through, its record not written: the stop box comes last.
ExpectedReport notRecorded(std::string_view logLine) {
  return {{{std::string(kHistoryNotWritten), MessageIcon::Stop}}, std::string(logLine), true};
}

/// A run's failure exit: its window hidden, a stop box, the StatusLog line.
ExpectedReport stop(std::string_view box, std::string_view logLine) {
  return {{{std::string(box), MessageIcon::Stop}}, std::string(logLine), true};
}

ExpectedReport stop(std::string_view text) { return stop(text, text); }

/// Reports before or around any job: the scans and the route starts.
std::optional<ExpectedReport> commonReport(Report report) {
  switch (report) {
    case Report::ScanNotReady: return ExpectedReport{{}, std::string(kScanNotReady), false};
    case Report::AspiStatusError:
      return ExpectedReport{{{std::string(kAspiStatusError), MessageIcon::None}}, std::string(kScanNotReady), false};
    case Report::AccessFailed: return ExpectedReport{{}, std::string(kAccessFailed), false};
    case Report::AspiConfirmError:
      return ExpectedReport{{{std::string(kAspiStatusError), MessageIcon::None}}, std::string(kAccessFailed), false};
    case Report::NoReaderOnRescan:
      return ExpectedReport{{{"Error: Unknow error happen!!!", MessageIcon::Warning}}, "", false};
    case Report::NoAddressRecord: {
      constexpr std::string_view kNoAddressFile = "Error!!! No String address file for this device";
      return ExpectedReport{{{std::string(kNoAddressFile), MessageIcon::Stop}}, std::string(kNoAddressFile), false};
    }
    default: return std::nullopt;
  }
}

ExpectedReport programmingReport(Report report) {
  constexpr std::string_view kProgrammed = "SUCCESS! ISP STATUS:5a [Verify Data sucessfull]";
  switch (report) {
    case Report::None: return {{}, std::string(kProgrammed), true};
    case Report::HistoryNotWritten: return notRecorded(kProgrammed);
    // The reader is programmed; the box alone says the counter was not saved.
    case Report::SerialNotSaved:
      return {{{"nError!!! Cannot save [SERIAL.TXT], program terminate", MessageIcon::Stop}},
              std::string(kProgrammed), true};
    case Report::Jump: return stop("Error!!! JMP ISP STATUS ERROR!!!");
    case Report::JumpStatus: return stop("Error!!! GET ISP STATUS ERROR!!!");
    case Report::Program: return stop("Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!");
    case Report::ProgramStatus: return stop("Error!!! GET ISP STATUS ERROR WHEN PROGRAMING CODE!!!");
    case Report::Compare: return stop("ERROR!!! ISP VERIFY Transfer Data Error!!!");
    case Report::CompareStatus: return stop("ERROR!!! GET ISP STATUS ERROR WHEN SEND DATA VERIFY!!!");
    default: return *commonReport(report);
  }
}

ExpectedReport verifyReport(Report report) {
  switch (report) {
    case Report::None: return {{}, "SUCCESS! Verify STATUS:5a [Verify Data sucessfull]", true};
    case Report::HistoryNotWritten: return notRecorded("SUCCESS! Verify STATUS:5a [Verify Data sucessfull]");
    case Report::Jump: return stop("Error!!! JMP ISP STATUS ERROR!!!", "Error!!! JMP Verify STATUS ERROR!!!");
    case Report::JumpStatus: return stop("Error!!! GET ISP STATUS ERROR!!!", "Error!!! GET Verify STATUS ERROR!!!");
    case Report::Compare: return stop("ERROR!!! ISP VERIFY Transfer Data Error!!!");
    case Report::CompareStatus: return stop("ERROR!!! GET Verify STATUS ERROR WHEN SEND DATA VERIFY!!!");
    default: return *commonReport(report);
  }
}

ExpectedReport msReport(Report report, bool verify) {
  const std::string_view transfer = verify ? "Error!!! ISP TRANSFER DATA ERROR WHEN Verify CODE!!!"
                                           : "Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!";
  const std::vector<ExpectedBox> switchBoxes = {{std::string(kWriteDataError), MessageIcon::None},
                                                {std::string(kMsJumpError), MessageIcon::Stop}};
  switch (report) {
    case Report::None: return {{}, "SUCCESS! MS STATUS:9c [F/W jump into MS 32K now]", true};
    case Report::HistoryNotWritten: return notRecorded("SUCCESS! MS STATUS:9c [F/W jump into MS 32K now]");
    case Report::MsNotReady:
      return stop("ERROR: Device Not Ready for ISP!! \n  P/S: May be the [MS Card not insert] or other problem!!!");
    case Report::MsSwitchNotWritten: return {switchBoxes, std::string(kMsJumpError), true};
    case Report::MsSwitchStatus: return stop(kMsStatusError);
    case Report::MsLoaderNotReady:
      return stop(
          "ERROR: Device Not Support Verify Cammand!! \n  P/S: Device must remove from PC, then connect again.");
    case Report::MsTransfer: return stop(transfer);
    case Report::MsSwitchBackNotWritten: return {switchBoxes, "Error!!! JMP MS 32K STATUS ERROR!!!", true};
    case Report::MsSwitchBackStatus: return stop(kMsStatusError, "Error!!! GET MS 32K STATUS ERROR!!!");
    default: return {};
  }
}

// --- Which step a request is, and what its failure calls for -----------------------

/// One request of a scenario (its command and occurrence) and the report its
/// failure calls for, per kind of failure.
struct Step {
  const char* command;
  int occurrence;
  Report transport;
  Report scsiStatus;
  Report unplugged;
};

using R = Report;

// The identity commands of the pass-through scans do not look at the SCSI
// status: an identify that completes with check condition delivers the
// zeroed data area as the reader's identity. The NT scan asks again with the
// second identify form, and the self-driver scans fall back to a second
// identify and go on without a device or unit count: only an unplugged reader
// defeats them.
constexpr Step kPassThroughScan[] = {
    {"open", 1, R::ScanNotReady, R::ScanNotReady, R::ScanNotReady},
    {"inquiry", 1, R::ScanNotReady, R::ScanNotReady, R::ScanNotReady},
    {"deviceIdentify", 1, R::ScanNotReady, R::None, R::ScanNotReady},
};
constexpr Step kNtScan[] = {
    {"open", 1, R::ScanNotReady, R::ScanNotReady, R::ScanNotReady},
    {"inquiry", 1, R::ScanNotReady, R::ScanNotReady, R::ScanNotReady},
    {"driverIdentify13", 1, R::None, R::None, R::ScanNotReady},
};
constexpr Step kPortScan[] = {
    {"deviceCount", 1, R::None, R::None, R::ScanNotReady},
    {"unitCount", 1, R::None, R::None, R::None},
    {"identifyA", 1, R::None, R::None, R::ScanNotReady},
    {"fwRevision", 1, R::None, R::None, R::None},
};
constexpr Step kDynamicScan[] = {
    {"deviceCount", 1, R::None, R::None, R::ScanNotReady},
    {"unitCount", 1, R::None, R::None, R::None},
    {"deviceIdentify", 1, R::ScanNotReady, R::ScanNotReady, R::ScanNotReady},
};
constexpr Step kAspiScan[] = {
    {"inquiry", 1, R::ScanNotReady, R::ScanNotReady, R::ScanNotReady},
    {"deviceIdentify", 1, R::AspiStatusError, R::AspiStatusError, R::AspiStatusError},
};

// Route starts of the programming and verify runs.
constexpr Step kPassThroughStart[] = {
    {"open", 1, R::AccessFailed, R::AccessFailed, R::AccessFailed},
};
constexpr Step kAspiStart[] = {
    {"inquiry", 1, R::AccessFailed, R::AccessFailed, R::AccessFailed},
    {"deviceIdentify", 1, R::AspiConfirmError, R::AspiConfirmError, R::AspiConfirmError},
};
// Windows 2000 scans again before ISP and programs only a lone reader. An
// identify answered with check condition gives it a reader of zeros, whose
// revision reads no address file: the image cannot be stamped.
constexpr Step kNtRescan[] = {
    {"open", 1, R::NoReaderOnRescan, R::NoReaderOnRescan, R::NoReaderOnRescan},
    {"inquiry", 1, R::NoReaderOnRescan, R::NoReaderOnRescan, R::NoReaderOnRescan},
    {"driverIdentify13", 1, R::None, R::NoAddressRecord, R::NoReaderOnRescan},
};

constexpr Step kProgramming[] = {
    {"jumpToIsp", 1, R::Jump, R::Jump, R::Jump},
    {"getIspStatus", 1, R::JumpStatus, R::JumpStatus, R::JumpStatus},
    {"sendIspData", 1, R::Program, R::Program, R::Program},
    {"getIspStatus", 2, R::ProgramStatus, R::ProgramStatus, R::ProgramStatus},
    {"sendIspData", 2, R::Compare, R::Compare, R::Compare},
    {"getIspStatus", 3, R::CompareStatus, R::CompareStatus, R::CompareStatus},
};
constexpr Step kVerifying[] = {
    {"jumpToIsp", 1, R::Jump, R::Jump, R::Jump},
    {"getIspStatus", 1, R::JumpStatus, R::JumpStatus, R::JumpStatus},
    {"sendIspData", 1, R::Compare, R::Compare, R::Compare},
    {"getIspStatus", 2, R::CompareStatus, R::CompareStatus, R::CompareStatus},
};

// The Memory Stick update scans twice (main program, then loader); a scan
// that found no unit leaves the identity of the scan before it, so only the
// next request to an unplugged reader tells.
constexpr Step kMsUpdate[] = {
    {"deviceCount", 1, R::None, R::None, R::MsNotReady},
    {"unitCount", 1, R::None, R::None, R::MsSwitchNotWritten},
    {"identifyA", 1, R::None, R::None, R::MsNotReady},
    {"fwRevision", 1, R::None, R::None, R::MsSwitchNotWritten},
    {"blockWrite", 1, R::MsSwitchNotWritten, R::MsSwitchNotWritten, R::MsSwitchNotWritten},
    {"getIspStatus", 1, R::MsSwitchStatus, R::MsSwitchStatus, R::MsSwitchStatus},
    {"deviceCount", 2, R::None, R::None, R::MsLoaderNotReady},
    {"unitCount", 2, R::None, R::None, R::MsTransfer},
    {"identifyA", 2, R::None, R::None, R::MsLoaderNotReady},
    {"fwRevision", 2, R::None, R::None, R::MsTransfer},
    {"sendIspData", 1, R::MsTransfer, R::MsTransfer, R::MsTransfer},
    {"getIspStatus", 2, R::MsTransfer, R::MsTransfer, R::MsTransfer},
    {"blockWrite", 2, R::MsSwitchBackNotWritten, R::MsSwitchBackNotWritten, R::MsSwitchBackNotWritten},
    {"getIspStatus", 3, R::MsSwitchBackStatus, R::MsSwitchBackStatus, R::MsSwitchBackStatus},
};

// --- Which file call a fault hits, and what it calls for ------------------------------

/// A fault at one file call of a scenario and the report it calls for.
struct FileStep {
  FileFault fault;
  int occurrence;  // of the calls of its kind
  Report report;
};

// The programming job saves the advanced counter after a success: a staging
// file made, written, flushed, closed and renamed over SERIAL.TXT. A short
// write is finished by the next one; any failure keeps the old counter.
// Every job's run then appends its record to HISTORY.CSV: the file opened
// for appending, written, flushed and closed. The programming job has made
// one write, flush and close of each kind for SERIAL.TXT before.
constexpr FileStep kSerialSaveAndHistory[] = {
    {FileFault::CreateFails, 1, R::SerialNotSaved},
    {FileFault::WriteFails, 1, R::SerialNotSaved},
    {FileFault::ShortWrite, 1, R::None},
    {FileFault::ShortWriteThenFails, 1, R::SerialNotSaved},
    {FileFault::DiskFull, 1, R::SerialNotSaved},
    {FileFault::FlushFails, 1, R::SerialNotSaved},
    {FileFault::CloseFails, 1, R::SerialNotSaved},
    {FileFault::RenameFails, 1, R::SerialNotSaved},
    {FileFault::OpenFails, 1, R::HistoryNotWritten},
    {FileFault::WriteFails, 2, R::HistoryNotWritten},
    {FileFault::ShortWrite, 2, R::None},
    {FileFault::ShortWriteThenFails, 2, R::HistoryNotWritten},
    {FileFault::DiskFull, 2, R::HistoryNotWritten},
    {FileFault::FlushFails, 2, R::HistoryNotWritten},
    {FileFault::CloseFails, 2, R::HistoryNotWritten},
};
constexpr FileStep kHistoryOnly[] = {
    {FileFault::OpenFails, 1, R::HistoryNotWritten},       {FileFault::WriteFails, 1, R::HistoryNotWritten},
    {FileFault::ShortWrite, 1, R::None},                   {FileFault::ShortWriteThenFails, 1, R::HistoryNotWritten},
    {FileFault::DiskFull, 1, R::HistoryNotWritten},        {FileFault::FlushFails, 1, R::HistoryNotWritten},
    {FileFault::CloseFails, 1, R::HistoryNotWritten},
};

std::span<const FileStep> fileStepTable(const FaultScenario& scenario) {
  switch (scenario.job) {
    case SweepJob::Scan: return {};
    case SweepJob::Isp: return kSerialSaveAndHistory;
    case SweepJob::Verify:
    case SweepJob::MsProgram:
    case SweepJob::MsVerify: return kHistoryOnly;
  }
  return {};
}

std::vector<std::span<const Step>> stepTables(const FaultScenario& scenario) {
  const AccessRoute route = scenario.route;
  std::vector<std::span<const Step>> tables;
  switch (scenario.job) {
    case SweepJob::Scan:
      switch (route) {
        case AccessRoute::PassThrough: return {kPassThroughScan};
        case AccessRoute::SelfDriverNt: return {kNtScan};
        case AccessRoute::SelfDriverPort: return {kPortScan};
        case AccessRoute::SelfDriverDynamic: return {kDynamicScan};
        case AccessRoute::Aspi: return {kAspiScan};
      }
      break;
    case SweepJob::Isp:
    case SweepJob::Verify:
      if (route == AccessRoute::PassThrough) tables.push_back(kPassThroughStart);
      if (route == AccessRoute::Aspi) tables.push_back(kAspiStart);
      if (route == AccessRoute::SelfDriverNt && scenario.job == SweepJob::Isp) tables.push_back(kNtRescan);
      tables.push_back(scenario.job == SweepJob::Isp ? std::span<const Step>(kProgramming)
                                                     : std::span<const Step>(kVerifying));
      break;
    case SweepJob::MsProgram:
    case SweepJob::MsVerify: tables.push_back(kMsUpdate); break;
  }
  return tables;
}

const Step* findStep(const FaultScenario& scenario, const std::string& command, int occurrence) {
  for (const auto table : stepTables(scenario)) {
    for (const Step& step : table) {
      if (step.command == command && step.occurrence == occurrence) return &step;
    }
  }
  return nullptr;
}

Report reportOf(const Step& step, FailureKind kind) {
  switch (kind) {
    case FailureKind::Transport: return step.transport;
    case FailureKind::ScsiStatus: return step.scsiStatus;
    case FailureKind::Unplugged: return step.unplugged;
  }
  return Report::None;
}

// --- How many requests a clean run makes ---------------------------------------------

/// `count` requests of `command`.
struct RequestCount {
  const char* command;
  int count;
};

// Written down by hand, not taken from a run: a request a scenario stops (or
// starts) making shows as a difference here instead of rows that silently
// go (or come).
constexpr RequestCount kPassThroughScanRequests[] = {{"open", 1}, {"inquiry", 1}, {"deviceIdentify", 1}};
constexpr RequestCount kNtScanRequests[] = {{"open", 1}, {"inquiry", 1}, {"driverIdentify13", 1}};
constexpr RequestCount kPortScanRequests[] = {
    {"deviceCount", 1}, {"unitCount", 1}, {"identifyA", 1}, {"fwRevision", 1}};
constexpr RequestCount kDynamicScanRequests[] = {{"deviceCount", 1}, {"unitCount", 1}, {"deviceIdentify", 1}};
constexpr RequestCount kAspiScanRequests[] = {{"inquiry", 1}, {"deviceIdentify", 1}};

constexpr RequestCount kPassThroughIspRequests[] = {
    {"open", 1}, {"jumpToIsp", 1}, {"getIspStatus", 3}, {"sendIspData", 2}};
constexpr RequestCount kNtIspRequests[] = {{"open", 1},      {"inquiry", 1},      {"driverIdentify13", 1},
                                           {"jumpToIsp", 1}, {"getIspStatus", 3}, {"sendIspData", 2}};
constexpr RequestCount kIspRequests[] = {{"jumpToIsp", 1}, {"getIspStatus", 3}, {"sendIspData", 2}};
constexpr RequestCount kAspiIspRequests[] = {
    {"inquiry", 1}, {"deviceIdentify", 1}, {"jumpToIsp", 1}, {"getIspStatus", 3}, {"sendIspData", 2}};

constexpr RequestCount kPassThroughVerifyRequests[] = {
    {"open", 1}, {"jumpToIsp", 1}, {"getIspStatus", 2}, {"sendIspData", 1}};
constexpr RequestCount kVerifyRequests[] = {{"jumpToIsp", 1}, {"getIspStatus", 2}, {"sendIspData", 1}};
constexpr RequestCount kAspiVerifyRequests[] = {
    {"inquiry", 1}, {"deviceIdentify", 1}, {"jumpToIsp", 1}, {"getIspStatus", 2}, {"sendIspData", 1}};

// Two scans, two switches with a status read each, one transfer with its own.
constexpr RequestCount kMsUpdateRequests[] = {{"deviceCount", 2}, {"unitCount", 2},    {"identifyA", 2},
                                              {"fwRevision", 2},  {"blockWrite", 2},   {"getIspStatus", 3},
                                              {"sendIspData", 1}};

/// `count` file calls of `call`.
struct FileCallCount {
  FileCall call;
  int count;
};

constexpr FileCallCount kSerialSaveAndHistoryCalls[] = {
    {FileCall::CreateNewFile, 1}, {FileCall::WriteFile, 2},  {FileCall::FlushFile, 2},
    {FileCall::CloseFile, 2},     {FileCall::RenameFile, 1}, {FileCall::OpenForAppend, 1},
};
constexpr FileCallCount kHistoryCalls[] = {
    {FileCall::OpenForAppend, 1}, {FileCall::WriteFile, 1}, {FileCall::FlushFile, 1}, {FileCall::CloseFile, 1}};

struct ScenarioRequests {
  AccessRoute route;
  SweepJob job;
  std::span<const RequestCount> requests;
};

constexpr ScenarioRequests kCleanRunRequests[] = {
    {AccessRoute::PassThrough, SweepJob::Scan, kPassThroughScanRequests},
    {AccessRoute::PassThrough, SweepJob::Isp, kPassThroughIspRequests},
    {AccessRoute::PassThrough, SweepJob::Verify, kPassThroughVerifyRequests},
    {AccessRoute::SelfDriverNt, SweepJob::Scan, kNtScanRequests},
    {AccessRoute::SelfDriverNt, SweepJob::Isp, kNtIspRequests},
    {AccessRoute::SelfDriverNt, SweepJob::Verify, kVerifyRequests},
    {AccessRoute::SelfDriverPort, SweepJob::Scan, kPortScanRequests},
    {AccessRoute::SelfDriverPort, SweepJob::Isp, kIspRequests},
    {AccessRoute::SelfDriverPort, SweepJob::Verify, kVerifyRequests},
    {AccessRoute::SelfDriverPort, SweepJob::MsProgram, kMsUpdateRequests},
    {AccessRoute::SelfDriverPort, SweepJob::MsVerify, kMsUpdateRequests},
    {AccessRoute::SelfDriverDynamic, SweepJob::Scan, kDynamicScanRequests},
    {AccessRoute::SelfDriverDynamic, SweepJob::Isp, kIspRequests},
    {AccessRoute::SelfDriverDynamic, SweepJob::Verify, kVerifyRequests},
    {AccessRoute::Aspi, SweepJob::Scan, kAspiScanRequests},
    {AccessRoute::Aspi, SweepJob::Isp, kAspiIspRequests},
    {AccessRoute::Aspi, SweepJob::Verify, kAspiVerifyRequests},
};

// The programming job saves SERIAL.TXT once and appends its record to
// HISTORY.CSV; every other job only appends its record. The scan writes
// nothing.
struct ScenarioFileCalls {
  AccessRoute route;
  SweepJob job;
  std::span<const FileCallCount> calls;
};

constexpr ScenarioFileCalls kCleanRunFileCalls[] = {
    {AccessRoute::PassThrough, SweepJob::Isp, kSerialSaveAndHistoryCalls},
    {AccessRoute::PassThrough, SweepJob::Verify, kHistoryCalls},
    {AccessRoute::SelfDriverNt, SweepJob::Isp, kSerialSaveAndHistoryCalls},
    {AccessRoute::SelfDriverNt, SweepJob::Verify, kHistoryCalls},
    {AccessRoute::SelfDriverPort, SweepJob::Isp, kSerialSaveAndHistoryCalls},
    {AccessRoute::SelfDriverPort, SweepJob::Verify, kHistoryCalls},
    {AccessRoute::SelfDriverPort, SweepJob::MsProgram, kHistoryCalls},
    {AccessRoute::SelfDriverPort, SweepJob::MsVerify, kHistoryCalls},
    {AccessRoute::SelfDriverDynamic, SweepJob::Isp, kSerialSaveAndHistoryCalls},
    {AccessRoute::SelfDriverDynamic, SweepJob::Verify, kHistoryCalls},
    {AccessRoute::Aspi, SweepJob::Isp, kSerialSaveAndHistoryCalls},
    {AccessRoute::Aspi, SweepJob::Verify, kHistoryCalls},
};

}  // namespace

ExpectedReport expectedReport(SweepJob job, Report report) {
  switch (job) {
    case SweepJob::Scan: return commonReport(report).value_or(ExpectedReport{{}, "", false});
    case SweepJob::Isp: return programmingReport(report);
    case SweepJob::Verify: return verifyReport(report);
    case SweepJob::MsProgram: return msReport(report, false);
    case SweepJob::MsVerify: return msReport(report, true);
  }
  return {};
}

std::optional<Report> reportForFailure(const FaultScenario& scenario, const std::string& command, int occurrence,
                                       FailureKind kind) {
  const Step* step = findStep(scenario, command, occurrence);
  if (step == nullptr) return std::nullopt;
  return reportOf(*step, kind);
}

std::vector<StepEntry> stepEntries(const FaultScenario& scenario) {
  std::vector<StepEntry> entries;
  for (const auto table : stepTables(scenario)) {
    for (const Step& step : table) entries.push_back({step.command, step.occurrence});
  }
  return entries;
}

std::map<std::string, int> cleanRunRequests(const FaultScenario& scenario) {
  std::map<std::string, int> counts;
  for (const ScenarioRequests& row : kCleanRunRequests) {
    if (row.route != scenario.route || row.job != scenario.job) continue;
    for (const RequestCount& request : row.requests) counts[request.command] += request.count;
  }
  return counts;
}

std::optional<Report> reportForFileFault(const FaultScenario& scenario, FileFault fault, int occurrence) {
  for (const FileStep& step : fileStepTable(scenario)) {
    if (step.fault == fault && step.occurrence == occurrence) return step.report;
  }
  return std::nullopt;
}

std::vector<FileStepEntry> fileStepEntries(const FaultScenario& scenario) {
  std::vector<FileStepEntry> entries;
  for (const FileStep& step : fileStepTable(scenario)) entries.push_back({step.fault, step.occurrence});
  return entries;
}

std::map<FileCall, int> cleanRunFileCalls(const FaultScenario& scenario) {
  std::map<FileCall, int> counts;
  for (const ScenarioFileCalls& row : kCleanRunFileCalls) {
    if (row.route != scenario.route || row.job != scenario.job) continue;
    for (const FileCallCount& call : row.calls) counts[call.call] += call.count;
  }
  return counts;
}

bool programsTheReader(Report report) {
  return report == Report::None || report == Report::SerialNotSaved || report == Report::HistoryNotWritten;
}

bool countsAsError(Report report) {
  return report == Report::Program || report == Report::ProgramStatus || report == Report::Compare ||
         report == Report::CompareStatus;
}

}  // namespace updater
