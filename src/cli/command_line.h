#pragma once

// The command line of updater-cli:
//   updater-cli [--machine FILE | --host] [--workdir DIR] [--json] [--trace]
//               [--dump-firmware DIR] [--record FILE] ACTION...
// read into options and a list of the operator's actions. Every mistake is a
// usage error with one line that says what is wrong.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace updater {

/// What the operator does in the window, one per action word.
enum class ActionKind {
  GetInfo,     // getinfo
  UserInfo,    // userinfo
  SelfDriver,  // selfdriver
  IspEnable,   // ispena
  MsMode,      // msmode
  Driver,      // driver=NAME
  Device,      // device=T
  Isp,         // isp
  Verify,      // verify
  IspAll,      // isp-all: "WIN9xISP" on every reader at once
  VerifyAll,   // verify-all: "WIN9xVER" on every reader at once
  Close,       // close
};

struct CliAction {
  ActionKind kind = ActionKind::GetInfo;
  /// As written on the command line; names the action in the transcript.
  std::string written;
  /// The NAME of driver= and the T of device=; empty otherwise.
  std::string argument;
};

struct CliOptions {
  /// None: the built-in demo machine (unless `host`).
  std::optional<std::filesystem::path> machineFile;
  /// Run on this computer's USB readers instead of a simulated machine.
  bool host = false;
  std::filesystem::path workingDirectory = ".";
  bool json = false;
  bool trace = false;
  std::optional<std::filesystem::path> dumpDirectory;
  /// Where to save what the run saw, as a machine file.
  std::optional<std::filesystem::path> recordFile;
  std::vector<CliAction> actions;
};

struct CommandLine {
  /// Set when the command line is usable.
  std::optional<CliOptions> options;
  /// Set for --help: print `text` and end successfully.
  bool helpRequested = false;
  /// The help text, or the usage error's line when there are no options.
  std::string text;
};

/// Reads the arguments (without the program's name).
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace updater
