#pragma once

// The ISP or the verify job on every reader of the device list at once. Each
// reader gets a run of its own: its own program state (a copy of the
// station's choices, with that reader selected), its own route objects and
// its own share of the port, on a thread of its own, reporting to views of
// its own. A run that fails, or whose reader is gone, ends alone; the
// others go on.
//
// Serial numbers are taken ahead (jobs/serial_reservation.h): before any
// run starts, one number for each reader whose run needs one, in device-list
// order, saved to SERIAL.TXT as used. A run that then fails leaves a gap.
// Each run writes its own record to HISTORY.CSV.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/main_view.h"
#include "platform/run_scheduler.h"
#include "platform/status_view.h"

namespace updater {

struct Program;
class RouteSet;

enum class EveryReaderJob { Isp, Verify };

/// Where one reader's run reports.
struct ReaderRunViews {
  MainView& mainView;
  StatusView& statusView;
};

/// How one reader's run ended.
struct ReaderRunResult {
  /// The reader's place in the device list, from 1.
  std::size_t reader = 0;
  /// Its drives (or units), blank-separated.
  std::string units;
  /// The serial number its image carried; empty when none went out.
  std::string serial;
  bool success = false;
  /// The history record's message: the loader's last answer on success,
  /// the failure text otherwise; the last line of the run's log when the
  /// command ended before its job.
  std::string message;
};

/// The number of runs runOnEveryReader makes for `station`: its readers,
/// or none when the command is refused before any reader is reached (then
/// the station itself runs the command once, to show why).
std::size_t everyReaderRunCount(const Program& station);

/// Runs `job` on each of `station`'s readers at once, reader i reporting to
/// `views[i]` (everyReaderRunCount elements), its calls to the port under
/// `scheduler`. The station's run counters take in every run's, and its
/// serial counter is the one saved. When no run can be made, runs the
/// command once on the station (with `routes`) and returns no result.
std::vector<ReaderRunResult> runOnEveryReader(Program& station, RouteSet& routes, EveryReaderJob job,
                                              RunScheduler& scheduler, const std::vector<ReaderRunViews>& views);

}  // namespace updater
