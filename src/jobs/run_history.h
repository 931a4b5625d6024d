#pragma once

// What a job puts into its run's history record (history_record.h). The
// application fills in the station's and the reader's columns before the
// run (JobContext::history); the job adds what only it knows: the image as
// it read it, SERIAL.TXT's codes, the serial number it sent, and how the
// run ended.

#include <string_view>

#include "jobs/firmware_image.h"
#include "jobs/history_record.h"
#include "jobs/job_context.h"
#include "jobs/serial_counter.h"

namespace updater {

/// The last line of `log` that is not empty; empty when it has none.
std::string_view lastLogLine(std::string_view log);

/// The image columns: the file's name, its length and the SHA-256 of the
/// bytes read. Right after the load, before anything is patched in.
void noteHistoryImage(HistoryRecord& record, std::string_view fileName, const FirmwareImage& firmware);

/// The station's codes from SERIAL.TXT, as two lower-case hex digits each.
void noteHistoryCounter(HistoryRecord& record, const SerialCounter& counter);

/// The message column: on success the last line of StatusLog (the loader's
/// last answer); on failure the failure the run noted (RunSink::noteFailure),
/// or the last line of StatusLog when it noted none.
std::string historyMessage(RunSink& sink, bool success);

/// Completes the record (time, job, result, message) and appends it to
/// HISTORY.CSV (history_file.h). False when it could not be written: the
/// caller tells the operator (kHistoryWriteFailure) after everything the run
/// itself shows.
bool writeRunRecord(JobContext& job, std::string_view jobName, bool success);

/// writeRunRecord, and the stop box when the record could not be written.
void recordRun(JobContext& job, std::string_view jobName, bool success);

}  // namespace updater
