#include "jobs/verify_job.h"

#include <gtest/gtest.h>

#include <functional>

#include "jobs/scramble.h"
#include "testing/job_fixture.h"

namespace updater {
namespace {

const std::string kRule(56, '=');
// The lines every verify job logs first.
const std::string kHead = kRule + "\n==  Verify Firmware Program Ver1.60             \n" + kRule + "\n";
const std::string kReport = kHead + "==  ROMCODE = FW.BIN || VxD DRIVER = KV20DISK.PDR \n" + kRule;
constexpr const char* kVerified =
    "\nSUCCESS! Verify STATUS:9c [Start Verify Firmware now]"
    "\nSUCCESS! Verify STATUS:5a [Verify Data sucessfull]";
constexpr const char* kDifferent = "\nError!!! Uncorrect Firmware version, Verify Fail !!!";

constexpr HardwareRevision k4023{0x40, 0x23, 'A'};
constexpr HardwareRevision k4013{0x40, 0x13, 'A'};

constexpr std::uint32_t kBlockOffset = 0x100;
constexpr std::uint32_t kPlainLength = 0x300;
constexpr std::uint32_t kBmpMapOffset = 0x800;

// A "4023" reader whose flash the test sets; the image files in the working
// directory, SERIAL.TXT absent (verify never reads it).
struct VerifyJobSetup : JobFixture {
  VerifyJobSetup() {
    program().selectedDriverName = "KV20DISK.PDR";
    selectReader(k4023);
    writeAddressFile({kBlockOffset, 2, 0x100, kPlainLength, kBmpMapOffset});
    writeBmpMap(map);
  }

  void run() { runVerify(); }

  // `image` with the map put into its body, as the reader holds it after an
  // ISP run (whose identity data are left out here).
  std::vector<Byte> withMap(const std::vector<Byte>& image) const {
    std::vector<Byte> plain(image.size() - 6);
    const ScrambleWindow window{kBlockOffset, kPlainLength};
    EXPECT_TRUE(unscramble(ConstBytes(image).subspan(6), plain, window));
    std::copy(map.begin(), map.end(), plain.begin() + kBmpMapOffset);
    std::vector<Byte> result = image;
    EXPECT_TRUE(scramble(plain, Bytes(result).subspan(6), window));
    return result;
  }

  std::vector<Byte> map = testImage(kBmpMapSize, 31);
};

class VerifyJob : public ::testing::Test, protected VerifyJobSetup {};

TEST_F(VerifyJob, ComparesTheImageWithTheMapInPlaceAndReportsTheRun) {
  const std::vector<Byte> image = headedImage(6, 0xFE, 0x2000, 2);
  writeImage(image);
  loader.flash = withMap(image);
  program().statusLog = "left from GetInfo";
  run();
  EXPECT_EQ(log(), kReport + kVerified);
  EXPECT_TRUE(harness.messageBoxes().empty());
  EXPECT_EQ(routes.started(), std::vector<AccessRoute>{AccessRoute::PassThrough});
  EXPECT_EQ(loader.programCount(), 0);
  EXPECT_FALSE(directory.exists(kSerialFileName));
}

TEST_F(VerifyJob, Type6WithThePlainMarkStillGetsTheMap) {
  const std::vector<Byte> image = headedImage(6, 0xFC, 0x2000, 2);
  writeImage(image);
  loader.flash = withMap(image);
  run();
  EXPECT_TRUE(log().ends_with(kVerified));

  loader.flash = image;
  run();
  EXPECT_TRUE(log().ends_with(kDifferent)) << "the image as read is not what was compared";
}

TEST_F(VerifyJob, ImageIsComparedAsReadWithoutIdentityData) {
  UserIspData& data = program().userIspData;
  data.vendorId = 0x1234;
  data.vendorIdActive = true;
  data.deviceSetting.fill(0x11);
  data.deviceSettingActive = true;
  const std::vector<Byte> image = headedImage(5, 0xFE, 0x2000, 2);
  writeImage(image);
  loader.flash = image;
  run();
  EXPECT_EQ(log(), kReport + kVerified);
}

TEST_F(VerifyJob, Revision4013ReadsNoAddressFile) {
  selectReader(k4013);
  directory.remove(kJobAddressFile);
  const std::vector<Byte> image = headedImage(4, 0xFC, 3000, 2);
  writeImage(image);
  loader.flash = image;
  run();
  EXPECT_EQ(log(), kReport + kVerified);
  EXPECT_TRUE(harness.messageBoxes().empty());
}

TEST_F(VerifyJob, MapIsLeftOutWhenDeviceTxtDoesNotActivateIt) {
  program().userIspData.bmpMapActive = false;
  directory.remove(kJobBmpMapFile);
  const std::vector<Byte> image = headedImage(6, 0xFE, 0x2000, 2);
  writeImage(image);
  loader.flash = image;
  run();
  EXPECT_EQ(log(), kReport + kVerified);
}

struct FailureRow {
  const char* name;
  std::function<void(VerifyJobSetup&)> arrange;
  std::string boxText;
  std::string logLine;
};

TEST(VerifyJobFailures, EndTheJobWithABoxAndALineAndNothingSent) {
  const std::vector<FailureRow> rows = {
      {"no image file", [](VerifyJobSetup&) {}, "Error!!! Can Not Open FW.BIN ISP Binary ROM Code", ""},
      {"image too large", [](VerifyJobSetup& t) { t.writeImage(headedImage(6, 0xFE, 65537)); },
       "Error!!! File too large !!!, 65537", ""},
      {"empty image", [](VerifyJobSetup& t) { t.writeImage({}); }, "Error!!! Problem reading file!!!",
       "Error!!! Problem reading ROM code file!!!"},
      {"no address file on 4023",
       [](VerifyJobSetup& t) {
         t.writeImage(headedImage(6, 0xFE, 4000));
         t.directory.remove(kJobAddressFile);
       },
       "Error!!! Can Not Open FW.adr String address file.", ""},
      {"BmpMap of 639 bytes",
       [](VerifyJobSetup& t) {
         t.writeImage(headedImage(6, 0xFE, 4000));
         t.writeBmpMap(testImage(639));
       },
       "Error!!! File too large !!!, 639", ""},
  };
  for (const auto& row : rows) {
    VerifyJobSetup t;
    row.arrange(t);
    t.run();
    const auto boxes = t.harness.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << row.name;
    EXPECT_EQ(boxes[0].text, row.boxText) << row.name;
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop) << row.name;
    const std::string line = row.logLine.empty() ? row.boxText : row.logLine;
    EXPECT_EQ(t.log(), kHead + line) << row.name;
    EXPECT_FALSE(t.anythingSent()) << row.name;
  }
}

struct RouteRow {
  OsMode osMode;
  bool selfDriverChosen;
  DriverKind driverKind;
  std::optional<AccessRoute> route;
};

TEST(VerifyJobRoute, FollowsTheWindowsFamilyTheCheckBoxAndTheDriverKind) {
  const RouteRow rows[] = {
      {OsMode::Win98, false, DriverKind::Kv20Disk, AccessRoute::SelfDriverDynamic},
      {OsMode::Win98, true, DriverKind::Other, AccessRoute::SelfDriverPort},
      {OsMode::WinMe, true, DriverKind::Kv20Disk, AccessRoute::SelfDriverPort},
      {OsMode::WinMe, false, DriverKind::Other, AccessRoute::Aspi},
      {OsMode::Win2000, true, DriverKind::Other, AccessRoute::SelfDriverNt},
      {OsMode::Win2000, false, DriverKind::Kv20Disk, AccessRoute::PassThrough},
      {OsMode::WinXp, true, DriverKind::Kv20Disk, AccessRoute::PassThrough},
      {OsMode::Unsupported, true, DriverKind::Other, std::nullopt},
  };
  for (const auto& row : rows) {
    VerifyJobSetup t;
    const std::vector<Byte> image = headedImage(5, 0xFE, 1500);
    t.writeImage(image);
    t.loader.flash = image;
    t.program().osMode = row.osMode;
    t.program().selfDriverChosen = row.selfDriverChosen;
    t.program().driverKind = row.driverKind;
    t.run();
    const std::string name = "OsMode " + std::to_string(static_cast<int>(row.osMode));
    const std::vector<AccessRoute> expected = row.route ? std::vector{*row.route} : std::vector<AccessRoute>{};
    EXPECT_EQ(t.routes.started(), expected) << name;
    EXPECT_EQ(t.anythingSent(), row.route.has_value()) << name;
    EXPECT_TRUE(t.harness.messageBoxes().empty()) << name;
  }
}

}  // namespace
}  // namespace updater
