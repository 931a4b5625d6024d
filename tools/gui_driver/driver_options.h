#pragma once

// The GUI driver's command line:
//   gui-driver [--workdir DIR] [--digest FILE] [--timeout SECONDS]
//              [--screenshot-main FILE.bmp] [--screenshot-status FILE.bmp]
//              [--arguments TEXT] PROGRAM [ACTION...]
//   gui-driver --check-icons

#include <optional>
#include <string>
#include <vector>

#include "operator_actions.h"

namespace gui_driver {

struct DriverOptions {
  std::string program;        // the executable to start
  std::string arguments;      // its command line after its own name
  std::string workdir;        // its working directory; empty: the driver's own
  std::string digestFile;     // where the digest goes; empty: standard output
  std::string mainShot;       // the main window after "getinfo"
  std::string statusShot;     // the status window during the first job
  unsigned timeoutSeconds = 60;  // for the start-up and for each action
  bool checkIcons = false;    // classify boxes of the driver's own instead
  std::vector<OperatorAction> actions;
};

/// The options of `arguments` (without the program name), or nothing with
/// `error` set to one line for the operator.
std::optional<DriverOptions> parseDriverOptions(const std::vector<std::string>& arguments, std::string& error);

extern const char* const kUsage;

}  // namespace gui_driver
