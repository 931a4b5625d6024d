#include "jobs/serial_reservation.h"

#include <algorithm>

#include "jobs/serial_lock.h"

namespace updater {
namespace {

SerialReservation failEvery(const std::vector<bool>& needsNumber, std::string_view failure) {
  SerialReservation reservation;
  for (const bool needs : needsNumber) {
    if (needs) {
      reservation.runs.push_back(ReservedSerial{{}, std::string(failure)});
    } else {
      reservation.runs.emplace_back();
    }
  }
  return reservation;
}

}  // namespace

SerialReservation reserveSerialNumbers(Port& port, const std::filesystem::path& directory,
                                       const std::vector<bool>& needsNumber) {
  if (std::none_of(needsNumber.begin(), needsNumber.end(), [](bool needs) { return needs; })) {
    return {std::vector<std::optional<ReservedSerial>>(needsNumber.size()), std::nullopt};
  }
  const SerialLock lock = lockSerialFile(port, directory);
  if (lock.result != SerialLockResult::Ok) return failEvery(needsNumber, serialLockMessage(lock.result));
  SerialCounter counter;
  const SerialLoadResult loaded = loadSerialCounter(directory, counter);
  if (loaded != SerialLoadResult::Ok) return failEvery(needsNumber, serialLoadMessage(loaded));

  SerialReservation reservation;
  for (const bool needs : needsNumber) {
    if (!needs) {
      reservation.runs.emplace_back();
      continue;
    }
    reservation.runs.push_back(ReservedSerial{counter, {}});
    advanceSerialCounter(counter);
  }
  const SerialSaveResult saved = saveSerialCounter(port, directory, counter);
  if (saved != SerialSaveResult::Ok) return failEvery(needsNumber, serialSaveMessage(saved));
  reservation.saved = counter;
  return reservation;
}

}  // namespace updater
