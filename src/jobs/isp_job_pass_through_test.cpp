// The ISP and verify jobs end to end on a simulated Windows XP machine: the
// image files and SERIAL.TXT on disk, the reader found by its drive letters,
// the loader's commands as SCSI pass-through.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/program.h"
#include "app/route_operations.h"
#include "device/hardware_revision.h"
#include "device/route_registry.h"
#include "jobs/isp_job.h"
#include "jobs/verify_job.h"
#include "testing/job_fixture.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

template <std::size_t N>
void setText(std::array<char, N>& field, std::string_view text, char fill) {
  field.fill(fill);
  std::copy(text.begin(), text.end(), field.begin());
}

// Where the address file puts the identity block and the serial descriptor.
constexpr std::uint32_t kBlockOffset = 0x100;
constexpr std::uint32_t kSerialSlot = 4;
constexpr std::uint32_t kSlotSize = 64;
constexpr std::uint32_t kPlainLength = 0x200;
constexpr std::uint32_t kHeadLength = 6;
constexpr std::uint32_t kBlockStart = kBlockOffset + kHeadLength;
constexpr std::uint32_t kIdentityBlockLength = 208;
constexpr std::uint32_t kSerialDescriptorLength = 26;

MachineDescription xpMachineWithOneReader() {
  ReaderDescription reader;
  reader.letters = "EF";
  reader.serial = "000000000001";
  reader.hwRevision = {0x40, 0x23, 0x41};
  // A real loader keeps each device's identity block and serial number out
  // of its compare, so a verify of the unpatched image file succeeds.
  reader.compareSkips = {{kBlockStart, kIdentityBlockLength},
                         {kBlockStart + kSerialSlot * kSlotSize, kSerialDescriptorLength}};
  MachineDescription machine = harnessMachine();
  machine.readers = {reader};
  return machine;
}

class IspJobOnPassThrough : public ::testing::Test {
 protected:
  IspJobOnPassThrough() : harness_(xpMachineWithOneReader()), routes_(harness_.machine) {
    Program& p = program();
    p.workingDirectory = directory_.path();
    p.osMode = OsMode::WinXp;
    UserIspData& data = p.userIspData;
    setText(data.romCodeFile, "FW.BIN", '\0');
    setText(data.addressFile, "FW.adr", '\0');
    setText(data.FaInquiry, "Generic USB Reader      1.00", ' ');
    setText(data.manufacturerString, "Maker", ' ');
    data.manufacturerLength = 5;
    data.vendorId = 0x1234;
    data.vendorIdActive = true;

    image_ = headedImage(5, 0xFE, 40000, 7);
    std::string bytes(image_.begin(), image_.end());
    directory_.writeFile("FW.BIN", bytes);
    std::string address;
    for (std::uint32_t word : {kBlockOffset, kSerialSlot, kSlotSize, kPlainLength, 0u}) {
      for (int i = 0; i < 4; ++i) address += static_cast<char>((word >> (8 * i)) & 0xFF);
    }
    directory_.writeFile("FW.adr", address);
    directory_.writeFile("SERIAL.TXT", "12 7c 4\n");
  }

  Program& program() { return *harness_.program; }

  void scanAndSelect() {
    ASSERT_EQ(buildDeviceTable(program(), routes_), 0);
    program().deviceTable.hardwareRevisionText =
        hardwareRevisionText(selectedEntry(program().deviceTable).usbHwRevision);
  }

  // The jobs as the operator commands run them, on the route the program's
  // inputs select.
  void runIsp() {
    RunSink sink = program().sink();
    JobContext job = program().jobContext(sink, routes_.selected(program().routeInputs()));
    runIspJob(job, program().tally, program().serialCounter);
  }

  void runVerify() {
    RunSink sink = program().sink();
    JobContext job = program().jobContext(sink, routes_.selected(program().routeInputs()));
    runVerifyJob(job);
  }

  ProgramHarness harness_;
  TemporaryDirectory directory_;
  RouteSet routes_;
  std::vector<Byte> image_;
};

TEST_F(IspJobOnPassThrough, ProgramsThePatchedImageThenVerifiesTheImageFile) {
  const std::string serialBefore = directory_.readFile("SERIAL.TXT");
  scanAndSelect();
  runIsp();

  ASSERT_EQ(program().tally.successCount, 1u) << program().statusLog;
  const auto& flash = harness_.machine.reader(1).loader.flash;
  const auto& patched = program().firmwareImage.image;
  ASSERT_EQ(flash.size(), image_.size());
  EXPECT_TRUE(std::equal(flash.begin(), flash.end(), patched.begin())) << "the reader holds the patched image";
  EXPECT_NE(flash, image_) << "the identity data were stamped in";
  EXPECT_EQ(flash[kBlockStart + 28], 'M');
  EXPECT_EQ(flash[kBlockStart + 138], 0x34);
  EXPECT_NE(directory_.readFile("SERIAL.TXT"), serialBefore) << "the counter advanced";
  EXPECT_EQ(harness_.machine.openHandleCount(), 0u);
  EXPECT_TRUE(harness_.machine.violations().empty());

  runVerify();
  EXPECT_TRUE(program().statusLog.ends_with("\nSUCCESS! Verify STATUS:5a [Verify Data sucessfull]"))
      << program().statusLog;
  EXPECT_TRUE(harness_.messageBoxes().empty());
  EXPECT_EQ(harness_.machine.openHandleCount(), 0u);
}

TEST_F(IspJobOnPassThrough, FailedProgrammingLeavesSerialTxtByteIdentical) {
  harness_.machine.reader(1).failures.failures = {{"sendIspData", 2, FailureKind::Transport}};
  const std::string serialBefore = directory_.readFile("SERIAL.TXT");
  scanAndSelect();
  runIsp();

  EXPECT_EQ(program().tally.errorCount, 1u);
  EXPECT_EQ(directory_.readFile("SERIAL.TXT"), serialBefore);
  const auto boxes = harness_.messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "ERROR!!! ISP VERIFY Transfer Data Error!!!");
  EXPECT_EQ(harness_.machine.openHandleCount(), 0u);
}

}  // namespace
}  // namespace updater
