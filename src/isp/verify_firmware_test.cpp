#include "isp/verify_firmware.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "testing/program_harness.h"
#include "testing/test_route.h"

namespace updater {
namespace {

constexpr const char* kBanner = "Verify banner";
constexpr const char* kReady = "\nSUCCESS! Verify STATUS:9c [Start Verify Firmware now]";
constexpr const char* kVerified = "\nSUCCESS! Verify STATUS:5a [Verify Data sucessfull]";

class VerifyFirmwareTest : public ::testing::Test {
 protected:
  VerifyFirmwareTest() : route_(AccessRoute::PassThrough, loader_) {}

  void SetUp() override {
    harness_.program->statusLog = kBanner;
    harness_.program->tally = {4, 1, 3};
    harness_.loadImage(image_);
    loader_.flash = image_;
  }

  void run() { harness_.verifyFirmware(route_.run(), static_cast<std::uint32_t>(image_.size())); }
  const std::string& log() const { return harness_.program->statusLog; }

  void expectOneStopBox(const std::string& text) {
    const auto boxes = harness_.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop);
  }

  void expectTallyUntouchedAndClosed() {
    EXPECT_EQ(harness_.program->tally.totalCount, 4u);
    EXPECT_EQ(harness_.program->tally.errorCount, 1u);
    EXPECT_EQ(harness_.program->tally.successCount, 3u);
    EXPECT_EQ(route_.ends, route_.starts);
    EXPECT_FALSE(harness_.statusView.exists());
  }

  std::vector<Byte> image_ = testImage(3000);
  ProgramHarness harness_;
  SimLoader loader_;
  TestRoute route_;
};

TEST_F(VerifyFirmwareTest, MatchingFirmwareLogsTwoLinesAndEndsTheBarAtFifteen) {
  run();
  EXPECT_EQ(log(), std::string(kBanner) + kReady + kVerified);
  EXPECT_EQ(harness_.barPositions(), (std::vector<int>{5, 10, 15}));
  EXPECT_TRUE(harness_.messageBoxes().empty());
  EXPECT_EQ(harness_.statusView.label(), "Verify status : ");
  EXPECT_EQ(loader_.programCount(), 0) << "verify writes nothing";
  expectTallyUntouchedAndClosed();

  const auto events = harness_.transcript.ofKind(EventKind::StatusWindow);
  const auto firstText = std::find_if(events.begin(), events.end(), [](auto& e) { return e.name == "text"; });
  ASSERT_NE(firstText, events.end());
  EXPECT_EQ(firstText->text, kBanner) << "the window opens with the whole log";
}

TEST_F(VerifyFirmwareTest, DifferentFirmwareIsComparedThreeTimesThenReported) {
  loader_.flash[100] ^= 0xFF;
  run();
  EXPECT_EQ(loader_.verifyCount(), 3);
  EXPECT_EQ(log(), std::string(kBanner) + kReady + "\nWarning! Retry Verify the Firmware : 1st Time!!!" +
                       "\nWarning! Retry Verify the Firmware : 2st Time!!!" +
                       "\nError!!! Uncorrect Firmware version, Verify Fail !!!");
  expectOneStopBox("Error!!! Uncorrect Firmware version, Verify Fail !!!");
  expectTallyUntouchedAndClosed();
}

TEST_F(VerifyFirmwareTest, WrongJumpAnswerNamesTheVerifyRun) {
  loader_.script.jump = {0x9B};
  run();
  const std::string text =
      "Error!!! DEBUG : JMP Verify reponse status : 9b\nError!!! JMP ISP reponse status  != 0x9c !!!";
  expectOneStopBox(text);
  EXPECT_EQ(log(), std::string(kBanner) + "\n" + text);
  expectTallyUntouchedAndClosed();
}

TEST_F(VerifyFirmwareTest, UnknownLastAnswerShowsLongBoxAndLogsShortLine) {
  loader_.script.verify = {0x00};
  run();
  expectOneStopBox("Error!!! Verify Reponse status  != 0x5A or 0x33 !!!, Unknow Error Happen!!!");
  EXPECT_TRUE(log().ends_with("\nError! Verify Reponse status != 0x5A or 0x33 !, Unknow Error Happen!!!"));
  expectTallyUntouchedAndClosed();
}

TEST_F(VerifyFirmwareTest, AspiVerifyHasNoPauseBeforeTheCompare) {
  TestRoute aspi(AccessRoute::Aspi, loader_);
  harness_.verifyFirmware(aspi.run(), static_cast<std::uint32_t>(image_.size()));
  EXPECT_EQ(harness_.machine.sleeps(), std::vector<std::uint32_t>{100});
  EXPECT_TRUE(harness_.messageBoxes().empty());
}

struct FailureRow {
  const char* command;
  int occurrence;
  const char* boxText;
  const char* logText;
};

TEST(VerifyFirmwareFailures, BoxNamesTheIspStepWhileTheLogNamesTheVerifyRun) {
  const FailureRow rows[] = {
      {"jumpToIsp", 1, "Error!!! JMP ISP STATUS ERROR!!!", "Error!!! JMP Verify STATUS ERROR!!!"},
      {"getIspStatus", 1, "Error!!! GET ISP STATUS ERROR!!!", "Error!!! GET Verify STATUS ERROR!!!"},
      {"sendIspData", 1, "ERROR!!! ISP VERIFY Transfer Data Error!!!", "ERROR!!! ISP VERIFY Transfer Data Error!!!"},
      {"getIspStatus", 2, "ERROR!!! GET Verify STATUS ERROR WHEN SEND DATA VERIFY!!!",
       "ERROR!!! GET Verify STATUS ERROR WHEN SEND DATA VERIFY!!!"},
  };
  for (const auto& row : rows) {
    const std::string name = std::string(row.command) + " #" + std::to_string(row.occurrence);
    ProgramHarness harness;
    harness.loadImage(testImage(10));
    SimLoader loader;
    TestRoute route(AccessRoute::SelfDriverNt, loader);
    route.failures().failures = {{row.command, row.occurrence, FailureKind::Transport}};
    harness.verifyFirmware(route.run(), 10);
    const auto boxes = harness.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << name;
    EXPECT_EQ(boxes[0].text, row.boxText) << name;
    EXPECT_EQ(harness.program->statusLog.substr(harness.program->statusLog.rfind('\n') + 1), row.logText)
        << name;
    EXPECT_EQ(route.ends, 1) << name;
    EXPECT_FALSE(harness.statusView.exists()) << name;
    EXPECT_EQ(harness.program->tally.totalCount, 0u) << name;
  }
}

TEST(VerifyFirmwareFailures, OpenFailureIsOnlyLoggedWithTheRoutesText) {
  ProgramHarness harness;
  SimLoader loader;
  TestRoute route(AccessRoute::SelfDriverNt, loader);
  route.startSucceeds = false;
  harness.verifyFirmware(route.run(), 10);
  EXPECT_EQ(harness.program->statusLog, "\nERROR: Loading UdskIO.Sys is Failed!!!");
  EXPECT_TRUE(harness.messageBoxes().empty());
  EXPECT_EQ(harness.statusView.createdCount(), 0);
}

}  // namespace
}  // namespace updater
