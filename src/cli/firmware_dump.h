#pragma once

// What the readers of a simulated machine hold after a run, as files:
// DIR/reader-N.bin for the controller's flash and DIR/reader-N-ms.bin for the
// Memory Stick controller's, N from 1 in machine-file order. An empty flash
// gives an empty file.

#include <filesystem>
#include <string>

namespace updater {

class SimMachine;

/// Writes every reader's two flashes into `directory`, which must exist.
/// Returns an empty text on success, else which file could not be written.
std::string dumpFirmware(SimMachine& machine, const std::filesystem::path& directory);

}  // namespace updater
