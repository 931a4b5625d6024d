#include "app/main_window.h"

#include <span>
#include <string_view>

#include "app/control_ids.h"
#include "app/load_user_isp_data.h"
#include "app/operator_commands.h"
#include "app/windows_family.h"
#include "app/program.h"
#include "app/route_operations.h"

namespace updater {
namespace {

constexpr std::string_view kRefusal = "This program must run under win9x or WinMe or Win2K or WinXP";
constexpr std::string_view kDriverSelectLabel = "Driver Select";
constexpr std::string_view kProductNameLabel = "Inq.ProductName";

/// What "Driver Select" offers on one Windows family and check-box state.
struct DriverListRow {
  OsMode osMode;
  bool anySelfDriverChoice;
  bool selfDriverChosen;
  std::string_view label;
  std::span<const std::string_view> items;
  int selected;
  std::string_view chosenName;  // empty: `selectedDriverName` stays as it is
};

constexpr std::string_view k98MeDrivers[] = {"QM_URDR.PDR", "KVDKPDRV.PDR", "KV20DISK.PDR"};
constexpr std::string_view kNtDrivers[] = {"UDSKIO.SYS"};

const DriverListRow* driverListRow(OsMode osMode, bool selfDriverChosen) {
  static constexpr DriverListRow kRows[] = {
      {OsMode::Win98, true, false, kDriverSelectLabel, k98MeDrivers, 1,
       "KVDKPDRV.PDR"},
      {OsMode::WinMe, false, true, kDriverSelectLabel, k98MeDrivers, 1,
       "KVDKPDRV.PDR"},
      {OsMode::WinMe, false, false, kProductNameLabel, {}, 0, ""},
      {OsMode::Win2000, false, true, kDriverSelectLabel, kNtDrivers, 0, "UDSKIO.SYS"},
      {OsMode::Win2000, false, false, kProductNameLabel, {}, 0, ""},
      {OsMode::WinXp, true, false, kProductNameLabel, {}, 0, ""},
      {OsMode::Host, true, false, kProductNameLabel, {}, 0, ""},
  };
  for (const auto& row : kRows) {
    if (row.osMode == osMode && (row.anySelfDriverChoice || row.selfDriverChosen == selfDriverChosen)) return &row;
  }
  return nullptr;
}

void resetOperatorState(Program& program) {
  program.selfDriverChosen = false;
  program.driverKind = DriverKind::Other;
  program.ispEnabled = false;
  program.msMode = false;
  program.deviceTable.deviceCount = 0;
  program.deviceTable.selectedLetterCount = 0;
  program.deviceTable.selectedIndex = 0;
  program.tally = IspTally{};
  program.deviceTable.hardwareRevisionText.clear();
  program.statusLog.clear();
}

}  // namespace

bool initialiseMainWindow(Program& program, RouteSet& routes) {
  const HostSystem host = program.port.hostSystem();
  const WindowsFamily family =
      host.isWindows() ? detectWindowsFamily(program.port.versionWord()) : WindowsFamily{OsMode::Host, ""};
  program.osMode = family.osMode;
  program.hostSystemText = host.isWindows() ? std::string() : host.name + ' ' + host.release;
  if (family.osMode == OsMode::Unsupported) {
    program.mainView.messageBox(family.versionMessage, program.applicationName, MessageIcon::Warning);
    program.mainView.messageBox(kRefusal, program.applicationName, MessageIcon::Warning);
    return false;
  }
  loadUserIspData(program, SystemInformation{static_cast<int>(program.osMode), false, "", program.hostSystemText});
  resetOperatorState(program);
  fillDriverList(program);
  getInfo(program, routes);
  return true;
}

void fillDriverList(Program& program) {
  const DriverListRow* row = driverListRow(program.osMode, program.selfDriverChosen);
  if (row == nullptr) return;
  MainView& view = program.mainView;
  view.setControlText(control::kDriverLabel, row->label);
  for (std::string_view item : row->items) view.addListItem(control::kDriverList, item);
  view.selectListItem(control::kDriverList, row->selected);
  if (!row->chosenName.empty()) program.selectedDriverName = row->chosenName;
}

void closeMainWindow(Program& program, RouteSet& routes) { closeDevice(program, routes); }

}  // namespace updater
