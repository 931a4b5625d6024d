// gui-driver: acts as the operator of the updater's window. It starts the
// program, answers its message boxes, clicks its buttons and chooses in its
// lists with the same action words as updater-cli, and writes what the
// operator saw as the window digest (tools/digest/digest_lines.h), so that a
// run of the Windows program compares with a run of updater-cli.

#include <iostream>
#include <string>
#include <vector>

#include "digest_file.h"
#include "driver_options.h"
#include "icon_check.h"
#include "operator_session.h"

using namespace gui_driver;

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string error;
  const auto options = parseDriverOptions(arguments, error);
  if (!options) {
    std::cerr << "gui-driver: " << error << '\n' << kUsage;
    return kActionRefused;
  }
  if (options->checkIcons) return checkIconReading(std::cout) ? kRanAllActions : kRunFailed;

  DigestFile digest;
  if (!digest.open(options->digestFile, error)) {
    std::cerr << "gui-driver: " << error << '\n';
    return kRunFailed;
  }
  const int status = runOperatorSession(*options, digest, error);
  if (status != kRanAllActions) std::cerr << "gui-driver: " << error << '\n';
  return status;
}
