#pragma once

// The application object: it turns on the common controls' look, builds the
// program's state over the given port with the real views, and runs the
// main window modally. When the window ends the application ends; it has no
// message loop of its own.

#include <windows.h>

#include <functional>
#include <string>

namespace updater {

class Port;

class UpdaterApp {
 public:
  explicit UpdaterApp(HINSTANCE instance) : instance_(instance) {}

  /// Runs the program on `port`; returns the process's exit status.
  int run(Port& port);

  /// Runs `hook` after the start-up's scan and after every GetInfo, ISP
  /// and verify run of the next `run`.
  void afterEachJob(std::function<void()> hook) { jobFinished_ = std::move(hook); }

 private:
  HINSTANCE instance_;
  std::function<void()> jobFinished_;
};

/// The base name of the running executable ("updater" for updater.exe): the
/// caption of the program's warning and stop boxes.
std::string executableBaseName();

}  // namespace updater
