#include "jobs/run_history.h"

#include "common/sha256.h"
#include "common/text_format.h"
#include "jobs/history_file.h"

namespace updater {
namespace {

std::string hexCode(std::uint32_t value) {
  std::string text;
  appendPaddedHex(text, value, 2);
  return text;
}

}  // namespace

std::string_view lastLogLine(std::string_view log) {
  const std::size_t end = log.find_last_not_of('\n');
  if (end == std::string_view::npos) return {};
  const std::size_t lineBreak = log.rfind('\n', end);
  const std::size_t start = lineBreak == std::string_view::npos ? 0 : lineBreak + 1;
  return log.substr(start, end + 1 - start);
}

void noteHistoryImage(HistoryRecord& record, std::string_view fileName, const FirmwareImage& firmware) {
  const ConstBytes bytes(firmware.image.data(), firmware.length);
  record.image = fileName;
  record.imageBytes = std::to_string(firmware.length);
  record.imageSha256 = sha256Hex(bytes);
}

void noteHistoryCounter(HistoryRecord& record, const SerialCounter& counter) {
  record.cem = hexCode(counter.cem);
  record.pc = hexCode(counter.pc);
}

std::string historyMessage(RunSink& sink, bool success) {
  if (!success && !sink.failureText().empty()) return sink.failureText();
  return std::string(lastLogLine(sink.statusLog()));
}

bool writeRunRecord(JobContext& job, std::string_view jobName, bool success) {
  HistoryRecord& record = job.history;
  record.time = isoLocalTime(job.port.localDateTime());
  record.job = jobName;
  record.result = success ? "success" : "failure";
  record.message = historyMessage(job.sink, success);
  return appendHistoryRecord(job.port, job.workingDirectory, record);
}

void recordRun(JobContext& job, std::string_view jobName, bool success) {
  if (!writeRunRecord(job, jobName, success)) job.sink.stopBox(kHistoryWriteFailure);
}

}  // namespace updater
