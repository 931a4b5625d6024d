#include "isp/program_firmware.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "testing/program_harness.h"
#include "testing/test_route.h"

namespace updater {
namespace {

constexpr const char* kBanner = "ISP banner";
constexpr const char* kReady = "\nSUCCESS! ISP STATUS:9c [Firmware jump into ISP now]";
constexpr const char* kWritten = "\nSUCCESS! ISP STATUS:a5 [Write Data sucessfull]";
constexpr const char* kVerified = "\nSUCCESS! ISP STATUS:5a [Verify Data sucessfull]";
constexpr const char* kRetry1 = "\nWarning! Retry program the Firmware : 1st Time!!!";
constexpr const char* kRetry2 = "\nWarning! Retry program the Firmware : 2st Time!!!";

class ProgramFirmwareTest : public ::testing::Test {
 protected:
  explicit ProgramFirmwareTest(AccessRoute route = AccessRoute::PassThrough) : route_(route, loader_) {}

  void SetUp() override {
    harness_.program->statusLog = kBanner;
    harness_.loadImage(image_);
  }

  void run(std::uint32_t length) { harness_.programFirmware(route_.run(), length); }
  void run() { run(static_cast<std::uint32_t>(image_.size())); }

  const std::string& log() const { return harness_.program->statusLog; }
  const IspTally& tally() const { return harness_.program->tally; }

  void expectOneStopBox(const std::string& text) {
    const auto boxes = harness_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].caption, "updater");
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop);
  }

  // Every run that opened its route closes it once and leaves no window.
  void expectClosedAndNoWindow() {
    EXPECT_EQ(route_.ends, route_.starts);
    EXPECT_FALSE(route_.open);
    EXPECT_FALSE(harness_.statusView.exists());
    EXPECT_EQ(harness_.statusView.misuses(), 0);
  }

  std::vector<Byte> image_ = testImage(1000);
  ProgramHarness harness_;
  SimLoader loader_;
  TestRoute route_;
};

TEST_F(ProgramFirmwareTest, SuccessLogsThreeLinesCountsOnceAndShowsNoBox) {
  run();
  EXPECT_EQ(log(), std::string(kBanner) + kReady + kWritten + kVerified);
  EXPECT_EQ(tally().totalCount, 1u);
  EXPECT_EQ(tally().successCount, 1u);
  EXPECT_EQ(tally().errorCount, 0u);
  EXPECT_TRUE(harness_.messageBoxes().empty());
  EXPECT_EQ(loader_.flash, image_);
  EXPECT_EQ(harness_.machine.sleeps(), std::vector<std::uint32_t>{100});
  EXPECT_EQ(harness_.statusView.label(), "    ISP status : ");
  EXPECT_EQ(harness_.statusView.text(), log());
  expectClosedAndNoWindow();
}

TEST_F(ProgramFirmwareTest, WindowOpensEmptyOnPassThroughAndIsHiddenBeforeItIsDestroyed) {
  run();
  const auto events = harness_.transcript.ofKind(EventKind::StatusWindow);
  ASSERT_GE(events.size(), 6u);
  EXPECT_EQ(events[0].name, "create");
  EXPECT_EQ(events[1].name, "range");
  EXPECT_EQ(events[1].high, 15);
  EXPECT_EQ(events[2].name, "show");
  EXPECT_EQ(events[3].name, "label");
  EXPECT_EQ(events[4].name, "text");
  EXPECT_EQ(events[4].text, "");
  EXPECT_EQ(events[events.size() - 2].name, "hide");
  EXPECT_EQ(events.back().name, "destroy");
}

TEST_F(ProgramFirmwareTest, CompareErrorEveryTimeRetriesTwiceThenFails) {
  loader_.script.verify = {0x33};
  run();
  EXPECT_EQ(loader_.programCount(), 3);
  EXPECT_EQ(loader_.verifyCount(), 3);
  EXPECT_EQ(loader_.jumpCount(), 1) << "a retry does not jump again";
  EXPECT_EQ(log(), std::string(kBanner) + kReady + kWritten + kRetry1 + kWritten + kRetry2 + kWritten +
                       "\nError!!! ISP Data Verify Error, Program Fail!!!");
  expectOneStopBox("Error!!! ISP Data Verify Error, Program Fail!!!");
  EXPECT_EQ(tally().totalCount, 1u);
  EXPECT_EQ(tally().errorCount, 1u);
  EXPECT_EQ(tally().successCount, 0u);
  expectClosedAndNoWindow();
}

TEST_F(ProgramFirmwareTest, CompareSucceedsOnTheSecondAttempt) {
  loader_.script.verify = {0x33, 0x5A};
  run();
  EXPECT_EQ(log(), std::string(kBanner) + kReady + kWritten + kRetry1 + kWritten + kVerified);
  EXPECT_TRUE(harness_.messageBoxes().empty());
  EXPECT_EQ(tally().successCount, 1u);
  EXPECT_EQ(tally().errorCount, 0u);
}

TEST_F(ProgramFirmwareTest, UnknownLastCompareAnswerShowsLongBoxAndLogsShortLine) {
  loader_.script.verify = {0x00};
  run();
  expectOneStopBox("Error!!! ISP reponse status  != 0x5A or 0x33 !!!, Unknow Error Happen!!!");
  EXPECT_TRUE(log().ends_with("\nError! ISP status != 0x5A or 0x33 !, Unknow Error Happen!!!"));
  EXPECT_EQ(tally().errorCount, 1u);
}

TEST_F(ProgramFirmwareTest, WrongJumpAnswerFailsUncountedWithTwoLineText) {
  loader_.script.jump = {0x9B};
  run();
  const std::string text =
      "Error!!! DEBUG : JMP ISP reponse status : 9b\nError!!! JMP ISP reponse status  != 0x9c !!!";
  expectOneStopBox(text);
  EXPECT_EQ(log(), std::string(kBanner) + "\n" + text);
  EXPECT_EQ(tally().totalCount, 0u);
  EXPECT_EQ(tally().errorCount, 0u);
  EXPECT_EQ(loader_.programCount(), 0);
  expectClosedAndNoWindow();
}

TEST_F(ProgramFirmwareTest, WrongWriteAnswerFailsAtOnceWithoutRetry) {
  loader_.script.program = {0x5A};
  run();
  expectOneStopBox("ERROR!!! JMP ISP reponse status  != 0xA5 !!!");
  EXPECT_EQ(loader_.programCount(), 1);
  EXPECT_EQ(loader_.verifyCount(), 0);
  EXPECT_EQ(tally().totalCount, 1u);
  EXPECT_EQ(tally().errorCount, 1u);
}

TEST_F(ProgramFirmwareTest, OpenFailureIsOnlyLogged) {
  route_.startSucceeds = false;
  run();
  EXPECT_EQ(log(), std::string(kBanner) + "\nERROR: Access Disk Drive Failed!!!");
  EXPECT_TRUE(harness_.messageBoxes().empty());
  EXPECT_EQ(harness_.statusView.createdCount(), 0);
  EXPECT_EQ(loader_.jumpCount(), 0);
  EXPECT_EQ(tally().totalCount, 0u);
}

struct CommandFailureRow {
  const char* command;
  int occurrence;
  const char* text;
  bool counted;
};

TEST_F(ProgramFirmwareTest, EachFailedCommandHasItsOwnTextAndCount) {
  const CommandFailureRow rows[] = {
      {"jumpToIsp", 1, "Error!!! JMP ISP STATUS ERROR!!!", false},
      {"getIspStatus", 1, "Error!!! GET ISP STATUS ERROR!!!", false},
      {"sendIspData", 1, "Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!", true},
      {"getIspStatus", 2, "Error!!! GET ISP STATUS ERROR WHEN PROGRAMING CODE!!!", true},
      {"sendIspData", 2, "ERROR!!! ISP VERIFY Transfer Data Error!!!", true},
      {"getIspStatus", 3, "ERROR!!! GET ISP STATUS ERROR WHEN SEND DATA VERIFY!!!", true},
  };
  for (const auto& row : rows) {
    ProgramHarness harness;
    harness.program->statusLog = kBanner;
    harness.loadImage(image_);
    SimLoader loader;
    TestRoute route(AccessRoute::PassThrough, loader);
    route.failures().failures = {{row.command, row.occurrence, FailureKind::Transport}};
    harness.programFirmware(route.run(), 1000);

    const std::string name = std::string(row.command) + " #" + std::to_string(row.occurrence);
    const auto boxes = harness.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << name;
    EXPECT_EQ(boxes[0].text, row.text) << name;
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop) << name;
    EXPECT_TRUE(harness.program->statusLog.ends_with(std::string("\n") + row.text)) << name;
    EXPECT_EQ(harness.program->tally.errorCount, row.counted ? 1u : 0u) << name;
    EXPECT_EQ(harness.program->tally.totalCount, row.counted ? 1u : 0u) << name;
    EXPECT_EQ(harness.program->tally.successCount, 0u) << name;
    EXPECT_EQ(route.ends, 1) << name;
    EXPECT_FALSE(harness.statusView.exists()) << name;

    // The window is hidden before the box is shown.
    const auto& events = harness.transcript.events();
    std::size_t hideAt = events.size(), boxAt = events.size();
    for (std::size_t i = 0; i < events.size(); ++i) {
      if (events[i].kind == EventKind::StatusWindow && events[i].name == "hide") hideAt = i;
      if (events[i].kind == EventKind::MessageBox) boxAt = i;
    }
    EXPECT_LT(hideAt, boxAt) << name;
  }
}

TEST_F(ProgramFirmwareTest, LengthsTheFieldCannotCarryAreRefusedBeforeAnythingIsSent) {
  for (std::uint32_t length : {0u, 65536u, 70000u}) {
    ProgramHarness harness;
    SimLoader loader;
    TestRoute route(AccessRoute::PassThrough, loader);
    harness.programFirmware(route.run(), length);
    const std::string text = "Error!!! File too large !!!, " + std::to_string(length);
    const auto boxes = harness.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << length;
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop);
    EXPECT_EQ(harness.program->statusLog, "\n" + text);
    EXPECT_EQ(route.starts, 0);
    EXPECT_EQ(loader.jumpCount(), 0);
    EXPECT_EQ(harness.program->tally.totalCount, 0u);
  }
}

TEST_F(ProgramFirmwareTest, LargestImageGoesOutPaddedToWholeBuffer) {
  const auto image = testImage(65535, 7);
  harness_.loadImage(image);
  run(65535);
  EXPECT_EQ(route_.failures().failures.size(), 0u);
  EXPECT_EQ(loader_.flash, image);
  EXPECT_EQ(tally().successCount, 1u);
}

struct ProgressRow {
  AccessRoute route;
  std::vector<int> positions;
};

TEST(ProgramFirmwareProgress, EachRouteAdvancesTheBarByItsOwnWeights) {
  const ProgressRow rows[] = {
      {AccessRoute::PassThrough, {3, 5, 7, 9, 11, 15}},
      {AccessRoute::SelfDriverNt, {3, 5, 6, 8, 11, 12}},
      {AccessRoute::SelfDriverPort, {1, 2, 3, 4, 5, 6, 7}},
      {AccessRoute::SelfDriverDynamic, {1, 2, 3, 4, 5, 6, 7}},
      {AccessRoute::Aspi, {3, 5, 6}},
  };
  for (const auto& row : rows) {
    ProgramHarness harness;
    harness.loadImage(testImage(100));
    SimLoader loader;
    TestRoute route(row.route, loader);
    harness.programFirmware(route.run(), 100);
    EXPECT_EQ(harness.barPositions(), row.positions) << routeName(row.route);
    EXPECT_EQ(harness.program->tally.successCount, 1u) << routeName(row.route);
  }
}

TEST(ProgramFirmwareProgress, RetriesCarryTheBarPastItsTopAndItStartsOver) {
  ProgramHarness harness;
  harness.loadImage(testImage(100));
  SimLoader loader;
  loader.script.verify = {0x33};
  TestRoute route(AccessRoute::PassThrough, loader);
  harness.programFirmware(route.run(), 100);
  // 3, 5, then three attempts of 2, 2, 2, 4 over the range 0..15.
  EXPECT_EQ(harness.barPositions(), (std::vector<int>{3, 5, 7, 9, 11, 15, 2, 4, 6, 10, 12, 14, 1, 5}));
}

TEST(ProgramFirmwareRoutes, PortAndDynamicOpenWithTheWholeLog) {
  for (AccessRoute which : {AccessRoute::SelfDriverPort, AccessRoute::SelfDriverDynamic, AccessRoute::Aspi}) {
    ProgramHarness harness;
    harness.program->statusLog = "banner";
    harness.loadImage(testImage(10));
    SimLoader loader;
    TestRoute route(which, loader);
    harness.programFirmware(route.run(), 10);
    const auto texts = harness.transcript.ofKind(EventKind::StatusWindow);
    const auto firstText = std::find_if(texts.begin(), texts.end(), [](auto& e) { return e.name == "text"; });
    ASSERT_NE(firstText, texts.end());
    EXPECT_EQ(firstText->text, which == AccessRoute::Aspi ? "" : "banner") << routeName(which);
  }
}

TEST(ProgramFirmwareRoutes, AspiWaitsThreeSecondsBeforeEachCompare) {
  ProgramHarness harness;
  harness.loadImage(testImage(10));
  SimLoader loader;
  loader.script.verify = {0x33, 0x5A};
  TestRoute route(AccessRoute::Aspi, loader);
  harness.programFirmware(route.run(), 10);
  EXPECT_EQ(harness.machine.sleeps(), (std::vector<std::uint32_t>{100, 3000, 3000}));
}

struct DataRow {
  AccessRoute route;
  std::uint32_t transferLength;
  std::size_t dataSize;
};

TEST(ProgramFirmwareRoutes, DataPhaseFollowsTheRoute) {
  const DataRow rows[] = {
      {AccessRoute::PassThrough, 1024, 1000},
      {AccessRoute::SelfDriverNt, 1000, 1000},
      {AccessRoute::SelfDriverPort, 1000, 1000},
      {AccessRoute::SelfDriverDynamic, 1024, 1024},
      {AccessRoute::Aspi, 1024, 1024},
  };
  for (const auto& row : rows) {
    ProgramHarness harness;
    harness.program->userIspData.romSelectCode = 0x3C;
    harness.loadImage(testImage(1000));
    SimLoader loader;
    TestRoute route(row.route, loader);
    harness.programFirmware(route.run(), 1000);
    const LoaderChannel& channel = static_cast<LoaderChannel&>(route.channel());
    EXPECT_EQ(channel.lastTransferLength, row.transferLength) << routeName(row.route);
    EXPECT_EQ(channel.lastDataSize, row.dataSize) << routeName(row.route);
    EXPECT_EQ(channel.lastCdb[3], 0x3C) << routeName(row.route);
  }
}

}  // namespace
}  // namespace updater
