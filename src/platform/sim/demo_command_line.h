#pragma once

// The command line of updater-demo.exe:
//   updater-demo.exe [/machine FILE]
// Two stations sharing one working folder each need a simulated machine of
// their own (their own reader), so the machine file may be named; without
// it the program reads machine.json in the working directory. FILE may be
// quoted, as a name with blanks must be.

#include <optional>
#include <string>
#include <string_view>

namespace updater {

inline constexpr std::string_view kDefaultMachineFileName = "machine.json";
inline constexpr std::string_view kDemoUsage = "usage: updater-demo [/machine FILE]";

/// The machine file the command line names (the text after the program's
/// own name, as WinMain receives it), or nothing when it cannot be read.
std::optional<std::string> demoMachineFile(std::string_view commandLine);

}  // namespace updater
