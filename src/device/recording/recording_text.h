#pragma once

// A recording as machine-file text (docs/machine-file.md), written by hand
// so that the Windows program carries no JSON library: the PC (`windows`
// from the version word, `date`, `drives`) and each reader with its
// `letters`, its `inquiry` texts and `identify` block when it answered
// them whole, and its `session`. The machine-file reader reads it back.

#include <string>

#include "device/recording/recorded_machine.h"

namespace updater {

std::string recordingFileText(const RecordedMachine& recording);

}  // namespace updater
