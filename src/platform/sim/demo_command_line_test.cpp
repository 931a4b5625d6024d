#include "platform/sim/demo_command_line.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(DemoCommandLine, NamesTheMachineFileOrTakesMachineJson) {
  const struct {
    std::string_view commandLine;
    std::optional<std::string> machineFile;
  } kRows[] = {
      {"", "machine.json"},
      {"   ", "machine.json"},
      {"/machine station-b.json", "station-b.json"},
      {"  /machine\tstation-b.json  ", "station-b.json"},
      {"/machine \"C:\\bench one\\machine.json\"", "C:\\bench one\\machine.json"},
      {"/machine", std::nullopt},
      {"/machine \"\"", std::nullopt},
      {"/machine \"unclosed.json", std::nullopt},
      {"/machine a.json b.json", std::nullopt},
      {"machine.json", std::nullopt},
      {"/MACHINE a.json", std::nullopt},
      {"--machine a.json", std::nullopt},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(demoMachineFile(row.commandLine), row.machineFile) << '"' << row.commandLine << '"';
  }
}

}  // namespace
}  // namespace updater
