#pragma once

// Serial numbers taken ahead, for the runs that program several readers at
// once. Under SERIAL.TXT's lock the counter is loaded, each run that needs
// a number gets the counter as it stands and the counter moves one on, in
// the runs' order; the counter past them all is saved before the lock goes.
// From then on the numbers are used up: a run that fails leaves a gap, and
// no number is ever given back, so that none reaches two readers, whatever
// happens to the runs, the program or another station sharing the folder.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "jobs/serial_counter.h"
#include "platform/port.h"

namespace updater {

/// A run's number, or why it has none.
struct ReservedSerial {
  /// The counter the run's serial number is made from.
  SerialCounter counter;
  /// Empty when the number is the run's; otherwise the operator's text
  /// for why there is none, and the run fails with it.
  std::string failure;
};

struct SerialReservation {
  /// One element per run: none for a run that needs no number.
  std::vector<std::optional<ReservedSerial>> runs;
  /// The counter as saved, when numbers were taken.
  std::optional<SerialCounter> saved;
};

/// Takes one number for each run that `needsNumber` marks, in order, from
/// SERIAL.TXT of `directory`. When the lock, the load or the save fails,
/// every run that needed a number gets that failure and SERIAL.TXT is as it
/// was.
SerialReservation reserveSerialNumbers(Port& port, const std::filesystem::path& directory,
                                       const std::vector<bool>& needsNumber);

}  // namespace updater
