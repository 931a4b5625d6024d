#include "app/operator_commands.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "app/control_ids.h"
#include "app/device_report.h"
#include "app/history_columns.h"
#include "app/load_user_isp_data.h"
#include "app/main_window.h"
#include "app/route_operations.h"
#include "app/program.h"
#include "common/text_format.h"
#include "device/hardware_revision.h"
#include "jobs/isp_job.h"
#include "jobs/ms_update.h"
#include "jobs/verify_job.h"

namespace updater {
namespace {

constexpr std::string_view kMessageDialog = "Message Dialog";
constexpr std::size_t kDriverNameChars = 19;

/// The hardware revisions that ISP serves without a self driver: every
/// listed code but "3017".
constexpr std::string_view kIspRevisions[] = {"3046", "3086", "4013", "4023", "4053", "4057",
                                              "4064", "4113", "4129", "4137", "4147", "4148",
                                              "4161", "4165", "4166", "4168", "4391"};

/// What the ISP command does differently in each supported Windows family.
struct FamilyRules {
  OsMode osMode;
  /// StatusLog's text when the self driver cannot be opened, before its name.
  std::string_view driverFailurePrefix;
  /// Whether the reader's revision and the "ISP_MS F/W" box are checked
  /// first; Windows 98 programs whatever they say.
  bool checksRequirements;
  /// Windows 2000: a driver that cannot be opened ends the command with the
  /// log alone, and only a lone reader is programmed.
  bool driverFailureEndsCommand;
  bool programsLoneReaderOnly;
};

constexpr FamilyRules kFamilyRules[] = {
    {OsMode::Win98, "ISP_E3: Can't Load the Driver : ", false, false, false},
    {OsMode::WinMe, "ISP_E4: Can't Load the Driver : ", true, false, false},
    {OsMode::Win2000, "ISP_E6: Can't Load the Driver : ", true, true, true},
    {OsMode::WinXp, "", true, false, false},
    {OsMode::Host, "", true, false, false},
};

const FamilyRules& familyRules(OsMode osMode) {
  for (const auto& rules : kFamilyRules) {
    if (rules.osMode == osMode) return rules;
  }
  return kFamilyRules[std::size(kFamilyRules) - 1];
}

/// The registry's row for the program's inputs; none on an unsupported
/// Windows.
const RouteRow* currentRow(const Program& program) { return routeRowFor(program.routeInputs()); }

bool onSelfDriverRoute(const Program& program) {
  const RouteRow* row = currentRow(program);
  return row != nullptr && row->opensSelfDriver;
}

bool servesMemoryStick(const Program& program) {
  const RouteRow* row = currentRow(program);
  return row != nullptr && row->servesMemoryStick;
}

bool supportedFamily(const Program& program) { return program.osMode != OsMode::Unsupported; }

void warn(Program& program, std::string_view text) {
  program.mainView.messageBox(text, program.applicationName, MessageIcon::Warning);
}

void showStatusLog(Program& program) { program.mainView.setControlText(control::kReportArea, program.statusLog); }

void fillDeviceList(Program& program) {
  MainView& view = program.mainView;
  view.resetList(control::kDeviceList);
  for (std::uint32_t i = 0; i < program.deviceTable.deviceCount; ++i) {
    view.addListItem(control::kDeviceList, std::string(1, static_cast<char>('1' + i)));
  }
  view.selectListItem(control::kDeviceList, static_cast<int>(program.deviceTable.selectedIndex));
}

/// Opens the self driver of the route; on failure StatusLog becomes
/// "\n" + `prefix` + the driver's name. True when open.
bool openDriverOrLog(Program& program, RouteSet& routes, std::string_view prefix) {
  if (openSelfDriver(program, routes) == kDriverOpen) return true;
  program.statusLog = "\n";
  program.statusLog += prefix;
  program.statusLog += program.selectedDriverName;
  return false;
}

bool revisionServedWithoutDriver(const Program& program) {
  const std::string_view code = std::string_view(program.deviceTable.hardwareRevisionText).substr(0, 4);
  return std::find(std::begin(kIspRevisions), std::end(kIspRevisions), code) != std::end(kIspRevisions);
}

void appendTally(Program& program) {
  std::string& log = program.statusLog;
  log += "\n\nSuccess Number Of ISP: ";
  appendHex(log, program.tally.successCount);
  log += "\nError   Number Of ISP: ";
  appendHex(log, program.tally.errorCount);
  log += "\nTotal   Number Of ISP: ";
  appendHex(log, program.tally.totalCount);
}

/// Runs `job` (a callable taking the JobContext) on the route the program's
/// inputs select now. Its history record names the route the job's
/// requests take: `jobRoute`, or else the selected one.
template <typename Job>
void runJob(Program& program, RouteSet& routes, std::optional<AccessRoute> jobRoute, Job&& job) {
  RunSink sink = program.sink();
  Route* const route = routes.selected(program.routeInputs());
  JobContext context = program.jobContext(sink, route);
  if (!jobRoute && route != nullptr) jobRoute = route->id();
  program.historyRecord = readerHistoryColumns(program, jobRoute);
  job(context);
}

void runIsp(Program& program, RouteSet& routes) {
  runJob(program, routes, std::nullopt,
         [&](JobContext& job) { runIspJob(job, program.tally, program.serialCounter); });
}

void runVerify(Program& program, RouteSet& routes) {
  runJob(program, routes, std::nullopt, [](JobContext& job) { runVerifyJob(job); });
}

// The Memory Stick controller is always reached through the port driver.
void runMs(Program& program, RouteSet& routes, int verifyMode) {
  runJob(program, routes, AccessRoute::SelfDriverPort,
         [&](JobContext& job) { runMsUpdate(job, routes.selfDriverPort(), verifyMode); });
}

void runIspOrMsProgram(Program& program, RouteSet& routes) {
  if (program.msMode) {
    runMs(program, routes, kMsProgram);
  } else {
    runIsp(program, routes);
  }
}

// Windows 2000: scan again and program only a lone reader. False when the
// command has ended without a job.
bool rescanForLoneReader(Program& program, RouteSet& routes) {
  buildDeviceTable(program, routes);
  const std::uint32_t count = program.deviceTable.deviceCount;
  if (count == 1) return true;
  if (count == 0) {
    warn(program, "Error: Unknow error happen!!!");
  } else {
    program.mainView.messageBox(
        "ISP_E7: There are more then one USB device were detected!!!\n        ISP can't process normally!!! ",
        program.applicationName, MessageIcon::Information);
  }
  return false;
}

}  // namespace

void getInfo(Program& program, RouteSet& routes) {
  clearDeviceTable(program.deviceTable);
  program.statusLog.clear();
  std::string log;

  bool driverOpen = true;
  if (onSelfDriverRoute(program)) {
    program.driverKind = driverKindOf(program.selectedDriverName);
    if (openSelfDriver(program, routes) != kDriverOpen) {
      driverOpen = false;
      log = "\nError: Can't Load the Driver " + program.selectedDriverName +
            "\n  P/S: Device Not Ready Or Error Driver select.";
      program.mainView.messageBox("Error!!! Device not ready Or Error Driver select", kMessageDialog,
                                  MessageIcon::Stop);
    }
  }
  if (driverOpen) {
    const int found = buildDeviceTable(program, routes);
    if (found == 1 || found == 2) {
      log = "\nERROR: Device Not Ready when GET DEVICE VERSION!! \n  P/S: After ISP/Verify Device must plug-out first!";
      if (onSelfDriverRoute(program)) closeDevice(program, routes);
    } else {
      fillDeviceList(program);
    }
  }
  program.statusLog = log;
  showDeviceReport(program);
}

void driverSelectChanged(Program& program, RouteSet& routes) {
  const std::string chosen = program.mainView.selectedListText(control::kDriverList, kDriverNameChars);
  if (onSelfDriverRoute(program)) program.selectedDriverName = chosen;
  getInfo(program, routes);
  warn(program, "OnSelchangeComboDropdown success");
}

void selfDriverClicked(Program& program) {
  program.selfDriverChosen = !program.selfDriverChosen;
  program.mainView.resetList(control::kDriverList);
  fillDriverList(program);
  program.statusLog.clear();
  showDeviceReport(program);
}

void deviceSelectChanged(Program& program) {
  if (program.osMode == OsMode::WinXp || program.osMode == OsMode::Unsupported) {
    warn(program, "AP must run under win98 or WinMe with self-driver");
    return;
  }
  DeviceTable& table = program.deviceTable;
  if (table.deviceCount < 2) {
    table.selectedIndex = 0;
  } else {
    const std::string chosen = program.mainView.selectedListText(control::kDeviceList, 1);
    const int index = chosen.empty() ? 0 : chosen[0] - '1';
    // Only the list's own items ("1" to ":") can be chosen; anything else
    // keeps the first reader rather than pointing past the table.
    table.selectedIndex = index >= 0 && static_cast<std::uint32_t>(index) < table.deviceCount
                              ? static_cast<std::uint32_t>(index)
                              : 0;
  }
  showDeviceReport(program);
}

void ispEnableClicked(Program& program) { program.ispEnabled = !program.ispEnabled; }

void msModeClicked(Program& program) { program.msMode = !program.msMode; }

void userIspInfoClicked(Program& program) {
  loadUserIspData(program, SystemInformation{static_cast<int>(program.osMode), program.selfDriverChosen,
                                             program.selectedDriverName, program.hostSystemText});
}

void ispCommand(Program& program, RouteSet& routes) {
  if (!supportedFamily(program)) return warn(program, "ISP_E1: ISP must run under win98 or WinMe or Win2K or WinXP");
  if (!program.ispEnabled) return warn(program, "ISP_E2: Before ISP, Please select the [ISP_ena] first!!!");
  program.deviceTable.hardwareRevisionText = hardwareRevisionText(selectedEntry(program.deviceTable).usbHwRevision);

  const FamilyRules& rules = familyRules(program.osMode);
  if (rules.checksRequirements) {
    if (!program.selfDriverChosen && !revisionServedWithoutDriver(program)) {
      return warn(program, "ISP_E5: ISP must run under win98 or WinMe or WIN2K with DRIVER Install.");
    }
    if (program.msMode && !servesMemoryStick(program)) {
      return warn(program, "ISP_E9: MS ISP must run under win98 or WinMe with DRIVER Install.");
    }
  }
  if (onSelfDriverRoute(program) && !openDriverOrLog(program, routes, rules.driverFailurePrefix)) {
    if (rules.driverFailureEndsCommand) return showStatusLog(program);
  } else {
    if (rules.programsLoneReaderOnly && !rescanForLoneReader(program, routes)) return;
    runIspOrMsProgram(program, routes);
  }
  appendTally(program);
  showStatusLog(program);
}

void verifyCommand(Program& program, RouteSet& routes) {
  if (!supportedFamily(program)) {
    return warn(program, "Verify must run under win98 or WinMe or Win2K Oor WinXP with self-driver");
  }
  if (!program.ispEnabled) return warn(program, "Before Verify Firmware, Please select the [ISP_ena] first!!!");
  if (program.msMode && !servesMemoryStick(program)) {
    return warn(program, "ISP_E9: ISP must run under win98 or WinMe with DRIVER Install.");
  }
  if (!onSelfDriverRoute(program) || openDriverOrLog(program, routes, "Can't Load the Driver : ")) {
    if (program.msMode) {
      runMs(program, routes, kMsVerify);
    } else {
      runVerify(program, routes);
    }
  }
  showStatusLog(program);
}

}  // namespace updater
