#pragma once

// The file --record saves: what the run saw, as a machine file
// (platform/sim/machine_file_writer.h), written once the run is over.

#include <filesystem>
#include <string>

#include "platform/sim/machine_description.h"

namespace updater {

/// Writes `recording` to `path` as a machine file. Returns an empty text on
/// success, else why it could not be written or cannot be read back.
std::string writeRecording(const std::filesystem::path& path, const MachineDescription& recording);

}  // namespace updater
