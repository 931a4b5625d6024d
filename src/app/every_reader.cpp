#include "app/every_reader.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "app/history_columns.h"
#include "app/operator_commands.h"
#include "app/program.h"
#include "device/hardware_revision.h"
#include "device/route_registry.h"
#include "jobs/isp_job.h"
#include "jobs/run_history.h"
#include "jobs/serial_reservation.h"
#include "platform/run_port.h"

namespace updater {
namespace {

/// One reader's run: its share of the port, its state and its routes.
struct ReaderRun {
  ReaderRun(Program& station, RunScheduler& scheduler, std::size_t index, const ReaderRunViews& views)
      : port(station.port, scheduler, index), program(port, views.mainView, views.statusView), routes(port) {
    program.applicationName = station.applicationName;
    program.workingDirectory = station.workingDirectory;
    program.osMode = station.osMode;
    program.hostSystemText = station.hostSystemText;
    program.selfDriverChosen = station.selfDriverChosen;
    program.selectedDriverName = station.selectedDriverName;
    program.driverKind = station.driverKind;
    program.ispEnabled = station.ispEnabled;
    program.msMode = station.msMode;
    program.userIspData = station.userIspData;
    program.serialCounter = station.serialCounter;
    program.deviceTable = station.deviceTable;
    program.deviceTable.selectedIndex = static_cast<std::uint32_t>(index);
    program.deviceTable.selectedLetterCount = selectedEntry(program.deviceTable).letterCount;
  }

  RunPort port;
  Program program;
  RouteSet routes;
};

bool takesSerialNumber(const Program& station, const DeviceEntry& entry) {
  return !station.msMode &&
         ispRunTakesSerialNumber(station.userIspData, hardwareRevisionText(entry.usbHwRevision));
}

std::vector<bool> runsNeedingNumbers(const Program& station, EveryReaderJob job, std::size_t runs) {
  std::vector<bool> needs(runs, false);
  if (job != EveryReaderJob::Isp) return needs;
  for (std::size_t i = 0; i < runs; ++i) needs[i] = takesSerialNumber(station, station.deviceTable.entries[i]);
  return needs;
}

void runCommand(Program& program, RouteSet& routes, EveryReaderJob job) {
  if (job == EveryReaderJob::Isp) {
    ispCommand(program, routes);
  } else {
    verifyCommand(program, routes);
  }
}

ReaderRunResult resultOf(ReaderRun& run, std::size_t index) {
  Program& program = run.program;
  const HistoryRecord& record = program.historyRecord;
  ReaderRunResult result;
  result.reader = index + 1;
  result.units = unitsText(program, selectedEntry(program.deviceTable));
  result.serial = record.serial;
  result.success = record.result == "success";
  result.message = record.result.empty() ? std::string(lastLogLine(program.statusLog)) : record.message;
  return result;
}

void addTally(IspTally& total, const IspTally& run) {
  total.totalCount += run.totalCount;
  total.errorCount += run.errorCount;
  total.successCount += run.successCount;
}

}  // namespace

std::size_t everyReaderRunCount(const Program& station) {
  if (station.osMode == OsMode::Unsupported || !station.ispEnabled) return 0;
  return station.deviceTable.deviceCount;
}

std::vector<ReaderRunResult> runOnEveryReader(Program& station, RouteSet& routes, EveryReaderJob job,
                                              RunScheduler& scheduler, const std::vector<ReaderRunViews>& views) {
  const std::size_t count = std::min(everyReaderRunCount(station), views.size());
  if (count == 0) {
    runCommand(station, routes, job);
    return {};
  }
  std::vector<std::unique_ptr<ReaderRun>> runs;
  for (std::size_t i = 0; i < count; ++i) runs.push_back(std::make_unique<ReaderRun>(station, scheduler, i, views[i]));

  const SerialReservation reservation =
      reserveSerialNumbers(station.port, station.workingDirectory, runsNeedingNumbers(station, job, count));
  if (reservation.saved) station.serialCounter = *reservation.saved;
  for (std::size_t i = 0; i < count; ++i) {
    if (reservation.runs[i]) runs[i]->program.reservedSerial = &*reservation.runs[i];
  }

  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < count; ++i) {
    threads.emplace_back([&, i] {
      scheduler.begin(i);
      runCommand(runs[i]->program, runs[i]->routes, job);
      scheduler.end(i);
    });
  }
  for (std::thread& thread : threads) thread.join();

  std::vector<ReaderRunResult> results;
  for (std::size_t i = 0; i < count; ++i) {
    addTally(station.tally, runs[i]->program.tally);
    results.push_back(resultOf(*runs[i], i));
  }
  return results;
}

}  // namespace updater
