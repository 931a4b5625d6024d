#pragma once

// The program's state: every program-wide record, the platform port and the
// two views. One object per program; tests build as many as they like.

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/user_isp_data.h"
#include "device/access_route.h"
#include "device/aspi.h"
#include "device/device_table.h"
#include "device/os_mode.h"
#include "device/pass_through.h"
#include "device/self_driver.h"
#include "isp/isp_tally.h"
#include "jobs/firmware_image.h"
#include "jobs/serial_counter.h"
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
  /// Route inputs besides `osMode`: the "SelfDriverSel" check box, the name
  /// chosen in "Driver Select" and the kind of driver it names. The route
  /// itself is derived from them at every operation (currentAccessRoute).
  bool selfDriverChosen = false;
  std::string selectedDriverName;
  DriverKind driverKind = DriverKind::Other;
  /// The "ISP_Ena" and "ISP_MS F/W" check boxes: the ISP and Verify commands
  /// refuse to run without the first; the second turns them to the Memory
  /// Stick controller.
  bool ispEnabled = false;
  bool msMode = false;
  /// The result of the last self-driver open or device enumeration; 0: good.
  std::uint8_t routeStatus = 0;
  DeviceTable deviceTable;
  UserIspData userIspData;
  FirmwareImage firmwareImage;
  /// The counter last loaded from SERIAL.TXT or advanced; 0 at start-up.
  SerialCounter serialCounter;

  /// The pass-through route's request buffer and drive handle.
  PassThroughState passThrough;
  /// The self-driver routes' handles and the NT driver's request buffer.
  SelfDriverState selfDriver;

  /// The ASPI route's loaded layer and the requests it may still post.
  AspiLayer aspi;
};

}  // namespace updater
