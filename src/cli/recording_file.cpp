#include "cli/recording_file.h"

#include <fstream>

#include "platform/sim/machine_file.h"
#include "platform/sim/machine_file_writer.h"

namespace updater {

// A recording too large to be read back is still written: it holds the
// run, and the operator may cut it down by hand.
std::string writeRecording(const std::filesystem::path& path, const MachineDescription& recording) {
  const std::string text = machineFileText(recording);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) return "cannot write " + path.string();
  if (text.size() > kMachineFileMaxBytes) {
    return path.string() + " holds " + std::to_string(text.size()) +
           " bytes, more than a machine file may (1 MiB): --machine cannot replay it";
  }
  return {};
}

}  // namespace updater
