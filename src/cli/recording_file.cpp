#include "cli/recording_file.h"

#include <fstream>

#include "platform/sim/machine_file_writer.h"

namespace updater {

std::string writeRecording(const std::filesystem::path& path, const MachineDescription& recording) {
  const std::string text = machineFileText(recording);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) return "cannot write " + path.string();
  return {};
}

}  // namespace updater
