#include "platform/sim/demo_command_line.h"

namespace updater {

std::optional<ProgramSwitches> demoSwitches(std::string_view commandLine) {
  std::optional<ProgramSwitches> switches = programSwitches(commandLine, ProgramKind::Demo);
  if (switches && !switches->machineFile) switches->machineFile = std::string(kDefaultMachineFileName);
  return switches;
}

std::optional<std::string> demoMachineFile(std::string_view commandLine) {
  const std::optional<ProgramSwitches> switches = demoSwitches(commandLine);
  if (!switches) return std::nullopt;
  return switches->machineFile;
}

}  // namespace updater
