#include "testing/fault_scenario.h"

#include "app/control_ids.h"
#include "app/main_window.h"
#include "app/operator_commands.h"
#include "app/program.h"
#include "jobs/serial_lock.h"
#include "testing/job_fixture.h"

namespace updater {
namespace {

constexpr WindowsVersion kWindows98{false, 4, 10};
constexpr WindowsVersion kWindowsMe{false, 4, 90};
constexpr WindowsVersion kWindows2000{true, 5, 0};
constexpr WindowsVersion kWindowsXp{true, 5, 1};

constexpr const char* kDeviceTxt =
    "VID = \"1234\";\n"
    "String_Manufacture = \"Maker\";\n"
    "ISP_ROMCODE = \"FW.BIN\";\n"
    "MS_ISP_ROMCODE = \"MSFW.BIN\";\n"
    "FA_Inquiry_Manufacture = \"Generic\";\n"
    "FA_Inquiry_Product = \"USB Reader\";\n"
    "FA_Inquiry_Version = \"1.00\";\n";

/// Where each route is taken: the Windows version, and whether the operator
/// ticks "SelfDriverSel" or picks "KV20DISK.PDR" in "Driver Select".
struct RouteSetting {
  AccessRoute route;
  WindowsVersion windows;
  bool selfDriverTicked;
  const char* driverPicked;  // nullptr: the list's own choice
};

constexpr RouteSetting kRouteSettings[] = {
    {AccessRoute::PassThrough, kWindowsXp, false, nullptr},
    {AccessRoute::SelfDriverNt, kWindows2000, true, nullptr},
    {AccessRoute::SelfDriverPort, kWindowsMe, true, nullptr},
    {AccessRoute::SelfDriverDynamic, kWindows98, false, "KV20DISK.PDR"},
    {AccessRoute::Aspi, kWindowsMe, false, nullptr},
};

const RouteSetting& settingOf(AccessRoute route) {
  for (const auto& setting : kRouteSettings) {
    if (setting.route == route) return setting;
  }
  return kRouteSettings[0];
}

std::string asText(const std::vector<Byte>& bytes) { return std::string(bytes.begin(), bytes.end()); }

MachineDescription scenarioMachine(const FaultScenario& scenario) {
  ReaderDescription reader = operatorReader("E", "000000000001");
  // The NT self driver's readers answer its fixed inquiry identity.
  if (scenario.route == AccessRoute::SelfDriverNt) reader.inquiry = {"", "USB Reader", "01.A"};
  reader.firmware = sweep_files::firmwareImage();
  reader.msRevision = "verM2.0a";
  reader.msLoaderRevision = "verL1.0a";
  // A verify compares with what the controller holds: let it hold the file.
  reader.msFirmware =
      scenario.job == SweepJob::MsVerify ? sweep_files::msFirmware() : sweep_files::oldMsFirmware();
  MachineDescription machine = operatorMachine(settingOf(scenario.route).windows, {reader});
  machine.selfDrivers = {"KVDKPDRV", "KV20DISK", "UDSKIO"};
  return machine;
}

}  // namespace

namespace sweep_files {
std::vector<Byte> firmwareImage() { return headedImage(5, 0xFE, 4000, 3); }
std::vector<Byte> msFirmware() { return testImage(1000, 7); }
std::vector<Byte> oldMsFirmware() { return testImage(900, 9); }
}  // namespace sweep_files

const std::vector<FaultScenario>& faultScenarios() {
  static const std::vector<FaultScenario> scenarios = [] {
    std::vector<FaultScenario> all;
    for (const auto& setting : kRouteSettings) {
      for (const SweepJob job : {SweepJob::Scan, SweepJob::Isp, SweepJob::Verify}) all.push_back({setting.route, job});
    }
    // The Memory Stick update talks to the port self driver only.
    all.push_back({AccessRoute::SelfDriverPort, SweepJob::MsProgram});
    all.push_back({AccessRoute::SelfDriverPort, SweepJob::MsVerify});
    return all;
  }();
  return scenarios;
}

const char* jobName(SweepJob job) {
  switch (job) {
    case SweepJob::Scan: return "Scan";
    case SweepJob::Isp: return "Isp";
    case SweepJob::Verify: return "Verify";
    case SweepJob::MsProgram: return "MsProgram";
    case SweepJob::MsVerify: return "MsVerify";
  }
  return "None";
}

std::string scenarioName(const FaultScenario& scenario) {
  return std::string(routeName(scenario.route)) + '_' + jobName(scenario.job);
}

void PrintTo(const FaultScenario& scenario, std::ostream* out) { *out << scenarioName(scenario); }

FaultScenarioRun::FaultScenarioRun(const FaultScenario& scenario)
    : scenario_(scenario), fixture_(scenarioMachine(scenario)) {
  start();
  fixture_.harness.transcript.onEvent = [this](const TranscriptEvent& event) { noteBoxOverHeldCounter(event); };
}

// Called as the box is shown, that is while it waits for the operator.
void FaultScenarioRun::noteBoxOverHeldCounter(const TranscriptEvent& event) {
  if (event.kind != EventKind::MessageBox) return;
  const SerialLock probe = lockSerialFile(otherStation_, fixture_.directory.path());
  if (probe.result != SerialLockResult::Ok) boxesOverHeldCounter_.push_back(event.text);
}

void FaultScenarioRun::start() {
  const TemporaryDirectory& directory = fixture_.directory;
  directory.writeFile("DEVICE.TXT", kDeviceTxt);
  directory.writeFile("SERIAL.TXT", sweep_files::kSerialText);
  directory.writeFile("FW.BIN", asText(sweep_files::firmwareImage()));
  directory.writeFile("MSFW.BIN", asText(sweep_files::msFirmware()));

  Program& p = program();
  initialiseMainWindow(p, routes());
  const RouteSetting& setting = settingOf(scenario_.route);
  if (setting.selfDriverTicked) selfDriverClicked(p);
  if (setting.driverPicked != nullptr) {
    fixture_.harness.mainView.chooseListItem(control::kDriverList, setting.driverPicked);
    driverSelectChanged(p, routes());
  }
  getInfo(p, routes());
  ispEnableClicked(p);
  if (scenario_.job == SweepJob::MsProgram || scenario_.job == SweepJob::MsVerify) msModeClicked(p);
}

void FaultScenarioRun::run(std::vector<InjectedFailure> failures, std::vector<InjectedFileFault> fileFaults) {
  reader().failures = FailurePlan(std::move(failures));
  machine().fileFaults = FileFaultPlan(std::move(fileFaults));
  fixture_.harness.transcript.clear();
  boxesOverHeldCounter_.clear();
  historyBefore_ = fixture_.directory.readFile("HISTORY.CSV");
  Program& p = program();
  switch (scenario_.job) {
    case SweepJob::Scan: getInfo(p, routes()); break;
    case SweepJob::Isp:
    case SweepJob::MsProgram: ispCommand(p, routes()); break;
    case SweepJob::Verify:
    case SweepJob::MsVerify: verifyCommand(p, routes()); break;
  }
}

}  // namespace updater
