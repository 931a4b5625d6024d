#pragma once

// What the ISP, verify and Memory Stick jobs run with: where they report,
// where their files are, what DEVICE.TXT said, the readers and the route of
// the moment, and the run's history record. Each job takes what it changes besides (the image buffers, the
// serial counter, the run counters) as arguments of its own.

#include <filesystem>
#include <string_view>

#include "device/device_table.h"
#include "device/route.h"
#include "isp/run_sink.h"
#include "jobs/firmware_image.h"
#include "jobs/history_record.h"
#include "jobs/serial_reservation.h"
#include "jobs/user_isp_data.h"
#include "platform/port.h"

namespace updater {

struct JobContext {
  Port& port;
  RunSink& sink;
  /// Where the image files and SERIAL.TXT are.
  const std::filesystem::path& workingDirectory;
  const UserIspData& userIspData;
  /// The driver chosen in "Driver Select": the reports name it, and a route
  /// that opens its self driver for each run opens it by this name.
  std::string_view driverName;
  /// The readers; a job runs on the selected one.
  DeviceTable& table;
  /// The route the inputs select now; none on an unsupported Windows.
  Route* route;
  /// The buffers the job loads the image files into.
  FirmwareImage& firmware;
  /// The run's record in HISTORY.CSV, the station's and the reader's
  /// columns filled in; the job completes and appends it.
  HistoryRecord& history;
  /// The serial number taken ahead for this run, when it is one of several
  /// readers' runs (serial_reservation.h); none: the ISP job takes its
  /// number from SERIAL.TXT itself.
  const ReservedSerial* reservedSerial = nullptr;
};

}  // namespace updater
