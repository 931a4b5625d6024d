#pragma once

// The command line of updater-demo.exe:
//   updater-demo.exe [/machine FILE] [/record FILE]
// Two stations sharing one working folder each need a simulated machine of
// their own (their own reader), so the machine file may be named; without
// it the program reads machine.json in the working directory. /record saves
// what the program saw as updater.exe /record does (app/program_switches.h
// reads both programs' switches).

#include <optional>
#include <string>
#include <string_view>

#include "app/program_switches.h"

namespace updater {

inline constexpr std::string_view kDefaultMachineFileName = "machine.json";
inline constexpr std::string_view kDemoUsage = "usage: updater-demo [/machine FILE] [/record FILE]";

/// The switches of the command line (the text after the program's own
/// name, as WinMain receives it), the machine file machine.json when it
/// names none; nothing when it cannot be read.
std::optional<ProgramSwitches> demoSwitches(std::string_view commandLine);

/// The machine file the command line names, or nothing when it cannot be read.
std::optional<std::string> demoMachineFile(std::string_view commandLine);

}  // namespace updater
