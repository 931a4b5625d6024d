#include "gui_driver/driver_options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace gui_driver {
namespace {

TEST(DriverOptions, TakesOptionsThenTheProgramThenItsActions) {
  std::string error;
  const std::vector<std::string> arguments = {
      "--workdir", "C:\\run", "--digest", "out.jsonl", "--timeout", "90", "--screenshot-main", "main.bmp",
      "updater.exe", "getinfo", "driver=KV20DISK.PDR", "device=:", "close"};
  const auto options = parseDriverOptions(arguments, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->workdir, "C:\\run");
  EXPECT_EQ(options->digestFile, "out.jsonl");
  EXPECT_EQ(options->timeoutSeconds, 90u);
  EXPECT_EQ(options->mainShot, "main.bmp");
  EXPECT_EQ(options->program, "updater.exe");
  ASSERT_EQ(options->actions.size(), 4u);
  EXPECT_EQ(options->actions[0].kind, ActionKind::Click);
  EXPECT_EQ(options->actions[0].controlId, 5);
  EXPECT_EQ(options->actions[1].kind, ActionKind::Choose);
  EXPECT_EQ(options->actions[1].controlId, 1027);
  EXPECT_EQ(options->actions[1].choice, "KV20DISK.PDR");
  EXPECT_EQ(options->actions[2].controlId, 1030);
  EXPECT_EQ(options->actions[2].choice, ":");
  EXPECT_EQ(options->actions[3].controlId, 8);
}

TEST(DriverOptions, EachActionWordClicksItsControl) {
  const struct {
    const char* word;
    int controlId;
  } kClicks[] = {{"getinfo", 5}, {"userinfo", 1010}, {"selfdriver", 1035}, {"ispena", 1031},
                 {"msmode", 1032}, {"isp", 3},       {"verify", 4},         {"close", 8}};
  for (const auto& row : kClicks) {
    const auto action = parseAction(row.word);
    ASSERT_TRUE(action) << row.word;
    EXPECT_EQ(action->kind, ActionKind::Click) << row.word;
    EXPECT_EQ(action->controlId, row.controlId) << row.word;
  }
}

TEST(DriverOptions, StartsTheProgramWithItsArgumentsAndMayAwaitAnotherProgramsJob) {
  std::string error;
  const std::vector<std::string> arguments = {"--arguments", "/machine \"station b.json\"", "updater.exe", "getinfo",
                                              "awaitjob",    "isp",                           "awaitidle"};
  const auto options = parseDriverOptions(arguments, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->arguments, "/machine \"station b.json\"");
  EXPECT_EQ(options->program, "updater.exe");
  ASSERT_EQ(options->actions.size(), 4u);
  EXPECT_EQ(options->actions[1].name, "awaitjob");
  EXPECT_EQ(options->actions[1].kind, ActionKind::AwaitOtherJob);
  EXPECT_EQ(options->actions[2].kind, ActionKind::Click);
  EXPECT_EQ(options->actions[3].name, "awaitidle");
  EXPECT_EQ(options->actions[3].kind, ActionKind::AwaitOthersIdle);

  ASSERT_TRUE(parseDriverOptions({"updater.exe"}, error));
  EXPECT_EQ(parseDriverOptions({"updater.exe"}, error)->arguments, "") << "the program's name alone";
}

TEST(DriverOptions, RefusesWhatCannotRun) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } kRefused[] = {
      {{}, "no program to start"},
      {{"--workdir"}, "--workdir needs a value"},
      {{"--arguments"}, "--arguments needs a value"},
      {{"updater.exe", "awaitjob=1"}, "unknown action awaitjob=1"},
      {{"updater.exe", "close", "awaitidle"}, "no action may follow close"},
      {{"--timeout", "0", "updater.exe"}, "--timeout needs a positive number of seconds"},
      {{"--timeout", "9s", "updater.exe"}, "--timeout needs a positive number of seconds"},
      {{"--frobnicate", "x", "updater.exe"}, "unknown option --frobnicate"},
      {{"updater.exe", "getinfo", "program"}, "unknown action program"},
      {{"updater.exe", "driver="}, "unknown action driver="},
      {{"updater.exe", "close", "getinfo"}, "no action may follow close"},
      {{"--check-icons", "updater.exe"}, "--check-icons takes no program"},
  };
  for (const auto& row : kRefused) {
    std::string error;
    EXPECT_FALSE(parseDriverOptions(row.arguments, error)) << row.error;
    EXPECT_EQ(error, row.error);
  }
}

}  // namespace
}  // namespace gui_driver
