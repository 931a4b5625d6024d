#include "jobs/job_steps.h"

#include "common/program.h"
#include "isp/route_binding.h"

namespace updater {

void startJobLog(Program& program, std::string_view title) {
  program.statusLog = kRuleLine;
  appendLogLine(program, title);
  appendLogLine(program, kRuleLine);
}

void appendLogLine(Program& program, std::string_view line) {
  program.statusLog += '\n';
  program.statusLog += line;
}

void appendRomCodeLines(Program& program) {
  std::string line = "==  ROMCODE = ";
  line += fieldText(program.userIspData.romCodeFile);
  line += " || VxD DRIVER = ";
  line += program.selectedDriverName;
  line += ' ';
  appendLogLine(program, line);
  appendLogLine(program, kRuleLine);
}

void failJob(Program& program, std::string_view boxText, std::string_view logText) {
  program.mainView.messageBox(boxText, program.applicationName, MessageIcon::Stop);
  appendLogLine(program, logText);
}

void failJob(Program& program, std::string_view text) { failJob(program, text, text); }

void failJob(Program& program, const ImageFileResult& failure) {
  failJob(program, failure.boxText, failure.logText);
}

void stopJob(Program& program, std::string_view text) {
  program.mainView.messageBox(text, program.applicationName, MessageIcon::Stop);
}

std::optional<JobFiles> loadJobFiles(Program& program, const JobFilesPlan& plan) {
  const UserIspData& data = program.userIspData;
  FirmwareImage& firmware = program.firmwareImage;
  const std::filesystem::path& directory = program.workingDirectory;
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
      failJob(program, result);
      return std::nullopt;
    }
  }

  if (firmware.address.bmpMapOffset != 0 && data.bmpMapActive) {
    const ImageFileResult result = loadBmpMap(directory, fieldText(data.bmpMapFile), firmware.bmpMap);
    if (!result.ok()) {
      failJob(program, result);
      return std::nullopt;
    }
    files.bmpMapLoaded = true;
  }

  const ImageFileResult result = loadFirmwareImage(firmware, directory, fieldText(data.romCodeFile));
  if (!result.ok()) {
    failJob(program, result);
    return std::nullopt;
  }
  return files;
}

bool runOnCurrentRoute(Program& program, RouteBindings& routes, ImageSequence sequence) {
  const std::optional<AccessRoute> route = currentAccessRoute(program);
  if (!route) return false;
  sequence(program, routes.binding(*route), program.firmwareImage.length);
  return true;
}

}  // namespace updater
