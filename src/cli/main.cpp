// updater-cli: the program's operator commands without a window, on a
// simulated machine or this computer's readers. See docs/transcript.md.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/host_run.h"
#include "cli/updater_cli.h"

namespace {

bool standardOutputIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdout)) != 0;
#else
  return isatty(STDOUT_FILENO) != 0;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return updater::runUpdaterCli(arguments, {std::cout, std::cerr, standardOutputIsTerminal()}, updater::HostAccess{});
}
