#include "driver_options.h"

#include <charconv>
#include <string_view>

namespace gui_driver {

const char* const kUsage =
    "usage: gui-driver [--workdir DIR] [--digest FILE] [--timeout SECONDS]\n"
    "                  [--screenshot-main FILE.bmp] [--screenshot-status FILE.bmp] [--arguments TEXT]\n"
    "                  PROGRAM [ACTION...]\n"
    "       gui-driver --check-icons\n"
    "actions: getinfo userinfo selfdriver ispena msmode driver=NAME device=T isp verify close\n"
    "         awaitjob awaitidle\n";

namespace {

using TextOption = std::string DriverOptions::*;

struct TextOptionRow {
  std::string_view flag;
  TextOption field;
};

constexpr TextOptionRow kTextOptions[] = {
    {"--workdir", &DriverOptions::workdir},
    {"--digest", &DriverOptions::digestFile},
    {"--screenshot-main", &DriverOptions::mainShot},
    {"--screenshot-status", &DriverOptions::statusShot},
    {"--arguments", &DriverOptions::arguments},
};

std::optional<unsigned> parseSeconds(std::string_view text) {
  unsigned value = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (failure != std::errc() || end != text.data() + text.size() || value == 0) return std::nullopt;
  return value;
}

// Takes the option at `arguments[index]` and its value; false with `error`
// when it is no option the driver knows or its value is missing or bad.
bool takeOption(const std::vector<std::string>& arguments, std::size_t& index, DriverOptions& options,
                std::string& error) {
  const std::string& flag = arguments[index];
  if (flag == "--check-icons") {
    options.checkIcons = true;
    return true;
  }
  if (index + 1 >= arguments.size()) {
    error = flag + " needs a value";
    return false;
  }
  const std::string& value = arguments[++index];
  for (const auto& row : kTextOptions) {
    if (flag == row.flag) {
      options.*row.field = value;
      return true;
    }
  }
  if (flag == "--timeout") {
    const auto seconds = parseSeconds(value);
    if (seconds) options.timeoutSeconds = *seconds;
    if (!seconds) error = "--timeout needs a positive number of seconds";
    return seconds.has_value();
  }
  error = "unknown option " + flag;
  return false;
}

bool takeActions(const std::vector<std::string>& words, DriverOptions& options, std::string& error) {
  for (const auto& word : words) {
    if (!options.actions.empty() && options.actions.back().name == "close") {
      error = "no action may follow close";
      return false;
    }
    const auto action = parseAction(word);
    if (!action) {
      error = "unknown action " + word;
      return false;
    }
    options.actions.push_back(*action);
  }
  return true;
}

}  // namespace

std::optional<DriverOptions> parseDriverOptions(const std::vector<std::string>& arguments, std::string& error) {
  DriverOptions options;
  std::size_t index = 0;
  for (; index < arguments.size() && arguments[index].starts_with("--"); ++index) {
    if (!takeOption(arguments, index, options, error)) return std::nullopt;
  }
  if (options.checkIcons) {
    if (index == arguments.size()) return options;
    error = "--check-icons takes no program";
    return std::nullopt;
  }
  if (index == arguments.size()) {
    error = "no program to start";
    return std::nullopt;
  }
  options.program = arguments[index++];
  const std::vector<std::string> words(arguments.begin() + static_cast<std::ptrdiff_t>(index), arguments.end());
  if (!takeActions(words, options, error)) return std::nullopt;
  return options;
}

}  // namespace gui_driver
