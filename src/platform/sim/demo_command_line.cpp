#include "platform/sim/demo_command_line.h"

#include <vector>

namespace updater {
namespace {

constexpr std::string_view kMachineSwitch = "/machine";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The words of `text`: runs of non-blanks, or the text between two double
// quotes (blanks included, quotes dropped). Nothing for an unclosed quote.
std::optional<std::vector<std::string>> splitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (true) {
    while (at < text.size() && isBlank(text[at])) ++at;
    if (at == text.size()) return words;
    if (text[at] == '"') {
      const std::size_t close = text.find('"', at + 1);
      if (close == std::string_view::npos) return std::nullopt;
      words.emplace_back(text.substr(at + 1, close - at - 1));
      at = close + 1;
    } else {
      const std::size_t start = at;
      while (at < text.size() && !isBlank(text[at])) ++at;
      words.emplace_back(text.substr(start, at - start));
    }
  }
}

}  // namespace

std::optional<std::string> demoMachineFile(std::string_view commandLine) {
  const auto words = splitWords(commandLine);
  if (!words) return std::nullopt;
  if (words->empty()) return std::string(kDefaultMachineFileName);
  if (words->size() == 2 && (*words)[0] == kMachineSwitch && !(*words)[1].empty()) return (*words)[1];
  return std::nullopt;
}

}  // namespace updater
