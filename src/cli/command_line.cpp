#include "cli/command_line.h"

#include <algorithm>
#include <string_view>

#include <CLI/CLI.hpp>

namespace updater {
namespace {

struct ActionWord {
  std::string_view word;  // for the actions with an argument, up to and with '='
  ActionKind kind;
  bool takesArgument;
};

constexpr ActionWord kActionWords[] = {
    {"getinfo", ActionKind::GetInfo, false},  {"userinfo", ActionKind::UserInfo, false},
    {"selfdriver", ActionKind::SelfDriver, false}, {"ispena", ActionKind::IspEnable, false},
    {"msmode", ActionKind::MsMode, false},    {"driver=", ActionKind::Driver, true},
    {"device=", ActionKind::Device, true},    {"isp", ActionKind::Isp, false},
    {"verify", ActionKind::Verify, false},    {"isp-all", ActionKind::IspAll, false},
    {"verify-all", ActionKind::VerifyAll, false}, {"close", ActionKind::Close, false},
};

/// The texts of "Device Sel" items: "1" to "9", and ":" for the tenth device.
bool isDeviceItemText(std::string_view text) {
  return text.size() == 1 && text[0] >= '1' && text[0] <= ':';
}

struct ActionResult {
  std::optional<CliAction> action;
  std::string error;
};

ActionResult readAction(const std::string& written) {
  for (const auto& word : kActionWords) {
    if (!word.takesArgument) {
      if (written == word.word) return {CliAction{word.kind, written, ""}, ""};
      continue;
    }
    if (!written.starts_with(word.word)) continue;
    std::string argument = written.substr(word.word.size());
    if (argument.empty()) return {std::nullopt, "action \"" + written + "\" needs a value after '='"};
    if (word.kind == ActionKind::Device && !isDeviceItemText(argument)) {
      return {std::nullopt, "action \"" + written + "\": a \"Device Sel\" item is 1 to 9, or : for the tenth device"};
    }
    return {CliAction{word.kind, written, std::move(argument)}, ""};
  }
  return {std::nullopt, "unknown action \"" + written +
                            "\" (actions: getinfo userinfo selfdriver ispena msmode driver=NAME device=T isp "
                            "verify isp-all verify-all close)"};
}

std::string firstLine(std::string text) {
  const auto end = text.find('\n');
  if (end != std::string::npos) text.erase(end);
  return text;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  CLI::App app{"Runs the updater's operator commands on a simulated machine and prints what the operator "
               "would see.",
               "updater-cli"};
  std::string machine;
  std::string workingDirectory = ".";
  std::string dumpDirectory;
  std::string recordFile;
  bool json = false;
  bool trace = false;
  std::vector<std::string> actionWords;
  bool host = false;
  app.add_option("--machine", machine, "the machine file to run on (default: the built-in demo machine)")
      ->type_name("FILE");
  app.add_flag("--host", host, "run on this computer's USB card readers (Linux)");
  CLI::Validator existingDirectory = CLI::ExistingDirectory;
  existingDirectory.description("");  // the type name says DIR already
  app.add_option("--workdir", workingDirectory,
                 "where DEVICE.TXT, SERIAL.TXT and the image files are (default: the current directory)")
      ->type_name("DIR")
      ->check(existingDirectory);
  app.add_flag("--json", json, "JSON Lines on standard output, one event per line");
  app.add_flag("--trace", trace, "also every request to a device and every pause");
  app.add_option("--dump-firmware", dumpDirectory,
                 "after the last action, write each reader's flash to DIR/reader-N.bin and DIR/reader-N-ms.bin")
      ->type_name("DIR");
  app.add_option("--record", recordFile,
                 "after the last action, save what the program saw (the PC, the readers and every request with "
                 "its answer) as a machine file that replays the run")
      ->type_name("FILE");
  app.add_option("ACTION", actionWords,
                 "getinfo userinfo selfdriver ispena msmode driver=NAME device=T isp verify isp-all verify-all close")
      ->type_name("");

  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return {std::nullopt, true, app.help()};
  } catch (const CLI::ParseError& error) {
    return {std::nullopt, false, firstLine(error.what())};
  }

  CliOptions options;
  if (host && app.count("--machine") > 0) return {std::nullopt, false, "--host and --machine exclude each other"};
  if (app.count("--machine") > 0) options.machineFile = machine;
  options.workingDirectory = workingDirectory;
  options.host = host;
  options.json = json;
  options.trace = trace;
  if (app.count("--dump-firmware") > 0) {
    if (dumpDirectory.empty()) return {std::nullopt, false, "--dump-firmware: the directory name is empty"};
    if (host) return {std::nullopt, false, "--dump-firmware: only a simulated reader's flash can be written out, not --host"};
    options.dumpDirectory = dumpDirectory;
  }
  if (app.count("--record") > 0) {
    if (recordFile.empty()) return {std::nullopt, false, "--record: the file name is empty"};
    options.recordFile = recordFile;
  }
  for (const auto& written : actionWords) {
    if (!options.actions.empty() && options.actions.back().kind == ActionKind::Close) {
      return {std::nullopt, false, "no action may follow \"close\" (found \"" + written + "\")"};
    }
    ActionResult read = readAction(written);
    if (!read.action) return {std::nullopt, false, read.error};
    options.actions.push_back(std::move(*read.action));
  }
  return {std::move(options), false, ""};
}

}  // namespace updater
