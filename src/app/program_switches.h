#pragma once

// The command line of the Windows programs, as WinMain receives it (the
// text after the program's own name):
//   updater.exe [/record FILE]
//   updater-demo.exe [/machine FILE] [/record FILE]
// Each switch at most once, in any order, followed by its file name, which
// may be quoted (as a name with blanks must be).

#include <optional>
#include <string>
#include <string_view>

namespace updater {

struct ProgramSwitches {
  /// The machine file to simulate (updater-demo.exe only).
  std::optional<std::string> machineFile;
  /// Where to save what the program saw, as a machine file that replays it.
  std::optional<std::string> recordFile;

  friend bool operator==(const ProgramSwitches&, const ProgramSwitches&) = default;
};

/// Which program reads the command line: the switches it takes.
enum class ProgramKind { Updater, Demo };

inline constexpr std::string_view kUpdaterUsage = "usage: updater [/record FILE]";

/// The switches of `commandLine`, or nothing when the program does not take
/// it: an unknown word or switch, a switch given twice or without a file
/// name, an unclosed quote.
std::optional<ProgramSwitches> programSwitches(std::string_view commandLine, ProgramKind program);

}  // namespace updater
