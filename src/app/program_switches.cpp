#include "app/program_switches.h"

#include <vector>

namespace updater {
namespace {

constexpr std::string_view kMachineSwitch = "/machine";
constexpr std::string_view kRecordSwitch = "/record";

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

/// The field a switch fills; none for a word the program does not take.
std::optional<std::string>* switchField(ProgramSwitches& switches, std::string_view word, ProgramKind program) {
  if (word == kRecordSwitch) return &switches.recordFile;
  if (word == kMachineSwitch && program == ProgramKind::Demo) return &switches.machineFile;
  return nullptr;
}

}  // namespace

std::optional<ProgramSwitches> programSwitches(std::string_view commandLine, ProgramKind program) {
  const auto words = splitWords(commandLine);
  if (!words) return std::nullopt;
  ProgramSwitches switches;
  for (std::size_t i = 0; i < words->size(); i += 2) {
    std::optional<std::string>* field = switchField(switches, (*words)[i], program);
    const bool hasName = i + 1 < words->size() && !(*words)[i + 1].empty();
    if (field == nullptr || field->has_value() || !hasName) return std::nullopt;
    *field = (*words)[i + 1];
  }
  return switches;
}

}  // namespace updater
