#pragma once

// Saving what a recording port has seen (device/recording/recording_port.h)
// as a machine file, as `updater.exe /record FILE` does at start-up, after
// each finished job and at the end: the file is replaced whole each time
// (jobs/file_replacement.h), so a crash leaves the recording of the jobs
// finished before it.

#include <filesystem>
#include <string>
#include <string_view>

#include "device/recording/recording_port.h"

namespace updater {

/// Writes the recording of `recorder` to `file` through the port's own file
/// calls. False when the file could not be written; it is then as it was.
bool saveRecording(RecordingPort& recorder, const std::filesystem::path& file);

/// What the operator is told when `file` could not be written.
std::string recordingNotSavedText(std::string_view file);

}  // namespace updater
