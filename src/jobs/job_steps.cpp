#include "jobs/job_steps.h"

#include "jobs/run_history.h"

namespace updater {

void startJobLog(RunSink& sink, std::string_view title) {
  sink.statusLog() = kRuleLine;
  sink.appendLine(title);
  sink.appendLine(kRuleLine);
}

void appendRomCodeLines(RunSink& sink, std::string_view romCodeFile, std::string_view driverName) {
  std::string line = "==  ROMCODE = ";
  line += romCodeFile;
  line += " || VxD DRIVER = ";
  line += driverName;
  line += ' ';
  sink.appendLine(line);
  sink.appendLine(kRuleLine);
}

void failJob(RunSink& sink, std::string_view boxText, std::string_view logText) { sink.fail(boxText, logText); }

void failJob(RunSink& sink, std::string_view text) { failJob(sink, text, text); }

void failJob(RunSink& sink, const ImageFileResult& failure) { failJob(sink, failure.boxText, failure.logText); }

void stopJob(RunSink& sink, std::string_view text) {
  sink.stopBox(text);
  sink.noteFailure(text);
}

std::optional<JobFiles> loadJobFiles(JobContext& job, const JobFilesPlan& plan) {
  const UserIspData& data = job.userIspData;
  FirmwareImage& firmware = job.firmware;
  const std::filesystem::path& directory = job.workingDirectory;
  JobFiles files;

  firmware.address = {};
  if (plan.readsAddressFile) {
    AddressRecord record;
    ImageFileResult result = loadAddressFile(directory, fieldText(data.addressFile), plan.words, record);
    if (result.ok()) {
      files.address = record;
      firmware.address = record;
    } else if (plan.toleratesAddressErrors) {
      files.addressFailure = std::move(result);
    } else {
      failJob(job.sink, result);
      return std::nullopt;
    }
  }

  if (firmware.address.bmpMapOffset != 0 && data.bmpMapActive) {
    const ImageFileResult result = loadBmpMap(directory, fieldText(data.bmpMapFile), firmware.bmpMap);
    if (!result.ok()) {
      failJob(job.sink, result);
      return std::nullopt;
    }
    files.bmpMapLoaded = true;
  }

  const ImageFileResult result = loadFirmwareImage(firmware, directory, fieldText(data.romCodeFile));
  if (!result.ok()) {
    failJob(job.sink, result);
    return std::nullopt;
  }
  noteHistoryImage(job.history, fieldText(data.romCodeFile), firmware);
  return files;
}

}  // namespace updater
