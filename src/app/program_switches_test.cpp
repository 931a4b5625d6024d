#include "app/program_switches.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(ProgramSwitches, EachProgramTakesItsOwnSwitchesOnce) {
  using S = ProgramSwitches;
  const struct {
    ProgramKind program;
    std::string_view commandLine;
    std::optional<ProgramSwitches> switches;
  } kRows[] = {
      {ProgramKind::Updater, "", S{}},
      {ProgramKind::Updater, "  \t ", S{}},
      {ProgramKind::Updater, "/record bench.json", S{std::nullopt, "bench.json"}},
      {ProgramKind::Updater, "/record \"C:\\bench one\\run.json\"", S{std::nullopt, "C:\\bench one\\run.json"}},
      {ProgramKind::Updater, "/record", std::nullopt},
      {ProgramKind::Updater, "/record \"\"", std::nullopt},
      {ProgramKind::Updater, "/record \"unclosed.json", std::nullopt},
      {ProgramKind::Updater, "/record a.json /record b.json", std::nullopt},
      {ProgramKind::Updater, "/record a.json b.json", std::nullopt},
      {ProgramKind::Updater, "/machine m.json", std::nullopt},
      {ProgramKind::Updater, "/RECORD a.json", std::nullopt},
      {ProgramKind::Updater, "--record a.json", std::nullopt},
      {ProgramKind::Demo, "/machine m.json /record r.json", S{"m.json", "r.json"}},
      {ProgramKind::Demo, "/record r.json /machine m.json", S{"m.json", "r.json"}},
      {ProgramKind::Demo, "/record r.json", S{std::nullopt, "r.json"}},
      {ProgramKind::Demo, "/machine m.json /machine n.json", std::nullopt},
      {ProgramKind::Demo, "/machine m.json /record", std::nullopt},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(programSwitches(row.commandLine, row.program), row.switches) << '"' << row.commandLine << '"';
  }
}

}  // namespace
}  // namespace updater
