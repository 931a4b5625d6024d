#pragma once

// Appending a run's record to HISTORY.CSV. Stations that share a working
// folder share the file, so a record goes in under the file's own lock
// (HISTORY.CSV.lock beside it, held for the append alone), whole, in one
// write at the file's end, and is flushed to the disk before the run
// reports its result. A line left half-written by a crash stays as it is;
// the next record starts on a line of its own.
//
// The programming job appends while it still holds SERIAL.TXT's lock, so
// the records of the stations follow the order of their numbers; no run
// waits for another station's whole run to write its record.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "jobs/history_record.h"
#include "platform/port.h"

namespace updater {

inline constexpr std::string_view kHistoryWriteFailure = "Error!!! Can Not Write HISTORY.CSV";
inline constexpr std::string_view kHistoryLockFileName = "HISTORY.CSV.lock";

/// How long a record waits for another station's append to end, and how
/// often it looks. An append takes milliseconds, and the readers' runs of
/// isp-all end together, each wanting the lock at once: a long look would
/// add its length to the runs that come later.
inline constexpr std::uint32_t kHistoryLockWaitMs = 5000;
inline constexpr std::uint32_t kHistoryLockPollMs = 5;

/// Appends `record` to HISTORY.CSV in `directory`, with the header line when
/// the file is new, under the file's lock. False when the lock could not be
/// had, the file could not be opened (a link, a directory, a FIFO, no right
/// to write), or the record was not written whole, flushed and closed.
bool appendHistoryRecord(Port& port, const std::filesystem::path& directory, const HistoryRecord& record);

}  // namespace updater
