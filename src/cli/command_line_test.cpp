#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

using Arguments = std::vector<std::string>;

TEST(CommandLine, DefaultsToTheDemoMachineTheCurrentDirectoryAndText) {
  const CommandLine read = parseCommandLine({"getinfo"});
  ASSERT_TRUE(read.options) << read.text;
  EXPECT_FALSE(read.options->machineFile);
  EXPECT_EQ(read.options->workingDirectory, ".");
  EXPECT_FALSE(read.options->json);
  EXPECT_FALSE(read.options->trace);
  EXPECT_FALSE(read.options->dumpDirectory);
  EXPECT_FALSE(read.options->recordFile);
  ASSERT_EQ(read.options->actions.size(), 1u);
  EXPECT_EQ(read.options->actions[0].kind, ActionKind::GetInfo);
}

TEST(CommandLine, ReadsEveryOptionAndEveryAction) {
  const CommandLine read = parseCommandLine({"--machine", "m.json", "--workdir", ".", "--json", "--trace",
                                             "--dump-firmware", "out", "--record", "run.json", "getinfo",
                                             "userinfo", "selfdriver", "ispena", "msmode", "driver=KVDKPDRV.PDR",
                                             "device=:", "isp", "verify", "close"});
  ASSERT_TRUE(read.options) << read.text;
  const CliOptions& options = *read.options;
  EXPECT_EQ(options.machineFile, std::filesystem::path("m.json"));
  EXPECT_TRUE(options.json);
  EXPECT_TRUE(options.trace);
  EXPECT_EQ(options.dumpDirectory, std::filesystem::path("out"));
  EXPECT_EQ(options.recordFile, std::filesystem::path("run.json"));
  const std::vector<ActionKind> kinds = {ActionKind::GetInfo,  ActionKind::UserInfo, ActionKind::SelfDriver,
                                         ActionKind::IspEnable, ActionKind::MsMode,  ActionKind::Driver,
                                         ActionKind::Device,   ActionKind::Isp,      ActionKind::Verify,
                                         ActionKind::Close};
  ASSERT_EQ(options.actions.size(), kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(options.actions[i].kind, kinds[i]) << i;
  EXPECT_EQ(options.actions[5].argument, "KVDKPDRV.PDR");
  EXPECT_EQ(options.actions[5].written, "driver=KVDKPDRV.PDR");
  EXPECT_EQ(options.actions[6].argument, ":");
}

TEST(CommandLine, NoActionRunsTheStartUpAlone) {
  const CommandLine read = parseCommandLine({});
  ASSERT_TRUE(read.options) << read.text;
  EXPECT_TRUE(read.options->actions.empty());
}

TEST(CommandLine, RefusesMistakesWithOneLineThatNamesThem) {
  const struct {
    const char* name;
    Arguments arguments;
    const char* mentions;
  } rows[] = {
      {"unknown action", {"getinfo", "flash"}, "unknown action \"flash\""},
      {"action in capitals", {"GETINFO"}, "unknown action \"GETINFO\""},
      {"driver without a name", {"driver="}, "needs a value"},
      {"device 0", {"device=0"}, "1 to 9, or :"},
      {"device 10", {"device=10"}, "1 to 9, or :"},
      {"action after close", {"getinfo", "close", "isp"}, "no action may follow \"close\" (found \"isp\")"},
      {"unknown option", {"--fast", "getinfo"}, "--fast"},
      {"machine without a file", {"--machine"}, "--machine"},
      {"empty dump directory", {"--dump-firmware", "", "getinfo"}, "--dump-firmware"},
      {"empty record file", {"--record", "", "getinfo"}, "--record: the file name is empty"},
      {"working directory that is not there", {"--workdir", "no/such/directory", "getinfo"}, "no/such/directory"},
  };
  for (const auto& row : rows) {
    const CommandLine read = parseCommandLine(row.arguments);
    EXPECT_FALSE(read.options) << row.name;
    EXPECT_FALSE(read.helpRequested) << row.name;
    EXPECT_NE(read.text.find(row.mentions), std::string::npos) << row.name << ": " << read.text;
    EXPECT_EQ(read.text.find('\n'), std::string::npos) << row.name << ": one line";
  }
}

TEST(CommandLine, HelpNamesTheOptionsAndTheActions) {
  const CommandLine read = parseCommandLine({"--help"});
  EXPECT_TRUE(read.helpRequested);
  EXPECT_FALSE(read.options);
  for (const char* word :
       {"--machine", "--workdir", "--json", "--trace", "--dump-firmware", "--record", "driver=NAME"}) {
    EXPECT_NE(read.text.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace updater
