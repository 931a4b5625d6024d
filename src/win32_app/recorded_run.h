#pragma once

// The program run with /record FILE: the port wrapped in a recording port
// (device/recording/recording_port.h), the recording saved to FILE before
// the window opens, after each finished job and when the program ends.

#include <string>

#include "win32_app/updater_app.h"

namespace updater {

class Port;

/// Runs `app` on `port`, recording into `file`; returns the process's exit
/// status. A file that cannot be written at start-up stops the program
/// with a box before the window opens (status 2); a later save that fails
/// shows the same box and the program goes on.
int runRecorded(UpdaterApp& app, Port& port, const std::string& file);

}  // namespace updater
