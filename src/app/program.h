#pragma once

// The application's state: what the operator chose, what the program found
// and counted since start-up, and the platform port and the two views it
// runs on. One object per program; tests build as many as they like. The
// layers below see none of it: the application hands each of them the few
// values it needs.

#include <cstdint>
#include <filesystem>
#include <string>

#include "device/access_route.h"
#include "device/device_table.h"
#include "device/os_mode.h"
#include "device/route_registry.h"
#include "isp/isp_tally.h"
#include "isp/run_sink.h"
#include "jobs/firmware_image.h"
#include "jobs/job_context.h"
#include "jobs/serial_counter.h"
#include "jobs/user_isp_data.h"
#include "platform/main_view.h"
#include "platform/port.h"
#include "platform/status_view.h"

namespace updater {

struct Program {
  Program(Port& portIn, MainView& mainViewIn, StatusView& statusViewIn)
      : port(portIn), mainView(mainViewIn), statusView(statusViewIn) {}

  Port& port;
  MainView& mainView;
  StatusView& statusView;

  /// Captions the warning and stop boxes that name no caption of their own:
  /// the base name of the executable.
  std::string applicationName = "updater";

  /// Where DEVICE.TXT, SERIAL.TXT and the image files are read and SERIAL.TXT
  /// is written: the current directory of the program, a temporary one in
  /// tests.
  std::filesystem::path workingDirectory = ".";

  /// The running log of the operator's commands, shown in the report area.
  std::string statusLog;
  IspTally tally;

  /// The Windows family, detected once at start-up.
  OsMode osMode = OsMode::Unsupported;
  /// On a host that is not Windows, its name and release as the summary
  /// shows them ("Linux 6.1.0-28-amd64"); empty on Windows.
  std::string hostSystemText;
  /// Route inputs besides `osMode`: the "SelfDriverSel" check box, the name
  /// chosen in "Driver Select" and the kind of driver it names. The route
  /// itself is chosen from them at every operation (routeInputs).
  bool selfDriverChosen = false;
  std::string selectedDriverName;
  DriverKind driverKind = DriverKind::Other;
  /// The "ISP_Ena" and "ISP_MS F/W" check boxes: the ISP and Verify commands
  /// refuse to run without the first; the second turns them to the Memory
  /// Stick controller.
  bool ispEnabled = false;
  bool msMode = false;
  DeviceTable deviceTable;
  UserIspData userIspData;
  FirmwareImage firmwareImage;
  /// The counter last loaded from SERIAL.TXT or advanced; 0 at start-up.
  SerialCounter serialCounter;
  /// The record of the run under way in HISTORY.CSV.
  HistoryRecord historyRecord;
  /// Set in one reader's run of several (every_reader.h): its serial
  /// number, taken ahead.
  const ReservedSerial* reservedSerial = nullptr;

  RouteInputs routeInputs() const { return {osMode, selfDriverChosen, driverKind}; }

  /// Where a command reports: StatusLog, boxes captioned with the program's
  /// name, the status window.
  RunSink sink() { return RunSink(statusLog, mainView, statusView, applicationName); }

  /// What a job runs with, on `route` (none on an unsupported Windows).
  JobContext jobContext(RunSink& runSink, Route* route) {
    return {port,  runSink,       workingDirectory, userIspData,   selectedDriverName, deviceTable,
            route, firmwareImage, historyRecord,    reservedSerial};
  }
};

}  // namespace updater
