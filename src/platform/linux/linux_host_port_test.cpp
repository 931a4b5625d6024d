#include "platform/linux/linux_host_port.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "device/pass_through/pass_through.h"
#include "jobs/file_replacement.h"
#include "platform/host_file.h"
#include "platform/linux/node_access.h"
#include "platform/linux/sense_text.h"
#include "testing/fake_scsi_generic.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

std::vector<HostReader> twoReaders() {
  HostReader first;
  first.usbName = "1-1";
  first.units = {{0, "sg1", "sdb"}, {1, "sg2", "sdc"}};
  HostReader second;
  second.usbName = "2-1";
  second.units = {{0, "sg3", ""}};
  return {first, second};
}

struct HostPortTest : ::testing::Test {
  FakeScsiGeneric sg;
  LinuxHostPort port{twoReaders(), sg, {"Linux", "6.1.0-test"}, "/dev"};
  PassThroughDrive drive{port};
};

TEST_F(HostPortTest, UnitsAppearAtDriveLettersFromCNamedByTheirDevices) {
  EXPECT_EQ(port.logicalDrives(), 0b11100u);
  EXPECT_EQ(port.driveName('C'), "sdb");
  EXPECT_EQ(port.driveName('D'), "sdc");
  EXPECT_EQ(port.driveName('E'), "sg3");
  EXPECT_EQ(port.driveName('F'), "F:");
  EXPECT_EQ(port.hostSystem().name, "Linux");

  ASSERT_TRUE(drive.open('D'));
  EXPECT_EQ(sg.opened.begin()->second, "/dev/sg2");
  EXPECT_FALSE(drive.open('F')) << "no unit at F";
  EXPECT_EQ(port.openHandleCount(), 0u);
}

TEST_F(HostPortTest, InquiryIsCarriedFromTheRequestBuffer) {
  sg.answer = {0x00, 0x80, 0x02, 0x02};
  ASSERT_TRUE(drive.open('C'));
  std::array<Byte, 36> inquiry{};
  ASSERT_TRUE(drive.inquiry(0, inquiry));

  ASSERT_EQ(sg.seen.size(), 1u);
  const auto& request = sg.seen[0];
  EXPECT_EQ(request.node, "/dev/sg1");
  EXPECT_EQ(request.direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(request.cdb, (std::vector<Byte>{0x12, 0, 0, 0, 36, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(request.dataLength, 36u);
  EXPECT_EQ(request.timeoutMs, 2000u) << "the request's own timeout, in milliseconds";
  EXPECT_EQ(request.maxSense, 24u);
  EXPECT_EQ(inquiry[1], 0x80);
  drive.close();
  EXPECT_TRUE(sg.opened.empty());
}

TEST_F(HostPortTest, VendorDataOutCarriesTheImageAndItsPadding) {
  ASSERT_TRUE(drive.open('C'));
  std::vector<Byte> image = {1, 2, 3, 4, 5};
  PassThroughChannel channel(drive);
  VendorCommand command{sendIspDataBlock(IspDataMode::Program, 0, 5, 512), Direction::Out, 512, image};
  ASSERT_TRUE(channel.execute(command));

  const auto& request = sg.seen.at(0);
  EXPECT_EQ(request.direction, SG_DXFER_TO_DEV);
  EXPECT_EQ(request.timeoutMs, 30000u);
  ASSERT_EQ(request.dataOut.size(), 512u);
  EXPECT_EQ(request.dataOut[4], 5);
  EXPECT_EQ(request.dataOut[5], 0) << "zeros after the image";
  VendorCommand jump{jumpToIspBlock(0), Direction::None, 0, {}};
  ASSERT_TRUE(channel.execute(jump));
  EXPECT_EQ(sg.seen.at(1).direction, SG_DXFER_NONE);
}

TEST_F(HostPortTest, TransportFailuresFailTheRequestAndCheckConditionReachesTheCaller) {
  struct Row {
    const char* name;
    int error;
    unsigned short hostStatus;
    unsigned short driverStatus;
    unsigned char status;
    bool inquiryCompletes;  // status is the caller's to judge
    bool vendorCompletes;   // vendor commands also need good status
  };
  const Row rows[] = {
      {"good", 0, 0, 0, 0, true, true},
      {"device gone", -ENODEV, 0, 0, 0, false, false},
      {"no connection", 0, 0x01, 0, 0, false, false},
      {"timed out", 0, 0x03, 0x06, 0, false, false},
      {"check condition", 0, 0, 0x08, 0x02, true, false},
  };
  ASSERT_TRUE(drive.open('C'));
  PassThroughChannel channel(drive);
  for (const Row& row : rows) {
    sg.error = row.error;
    sg.hostStatus = row.hostStatus;
    sg.driverStatus = row.driverStatus;
    sg.status = row.status;
    std::array<Byte, 36> inquiry{};
    EXPECT_EQ(drive.inquiry(0, inquiry), row.inquiryCompletes) << row.name;
    std::array<Byte, 8> answer{};
    VendorCommand status{getIspStatusBlock(), Direction::In, 8, answer};
    EXPECT_EQ(channel.execute(status), row.vendorCompletes) << row.name;
  }
}

TEST_F(HostPortTest, TraceNamesTheUnitTheStatusAndTheFailure) {
  std::vector<std::string> lines;
  port.traceRequest = [&lines](const CarriedRequest& request) {
    lines.push_back("reader " + std::to_string(request.readerNumber) + " " + request.unit.displayName() + (request.carried ? " carried" : " failed") + " status " +
                    std::to_string(request.scsiStatus) + " sense " + std::to_string(request.sense.size()) + " " +
                    std::string(request.failure));
  };
  ASSERT_TRUE(drive.open('E'));
  std::array<Byte, 36> inquiry{};
  sg.status = 2;
  sg.driverStatus = 0x08;
  sg.sense = {0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x20, 0x00};
  drive.inquiry(0, inquiry);
  sg.error = -ENODEV;
  drive.inquiry(0, inquiry);
  EXPECT_EQ(lines, (std::vector<std::string>{"reader 2 sg3 carried status 2 sense 14 ",
                                             "reader 2 sg3 failed status 2 sense 0 SG_IO: No such device"}));
}

// The counter's file is the host's own: the port carries each file call to
// the system, and a link at the staging name is neither written through
// nor removed.
TEST_F(HostPortTest, FilesAreReplacedThroughTheHostsOwnCalls) {
  TemporaryDirectory directory;
  directory.writeFile("SERIAL.TXT", "0x12 0x34 0x6 ");
  const auto target = directory.path() / "SERIAL.TXT";
  EXPECT_TRUE(replaceFile(port, target, "0x12 0x34 0x7 "));
  EXPECT_EQ(directory.readFile("SERIAL.TXT"), "0x12 0x34 0x7 ");
  EXPECT_EQ(hostPathKind(target), PathKind::PlainFile);
  EXPECT_EQ(hostPathKind(stagingPathFor(target)), PathKind::Nothing);

  directory.writeFile("OTHER.TXT", "somebody else's");
  std::filesystem::create_symlink("OTHER.TXT", stagingPathFor(target));
  EXPECT_EQ(hostPathKind(stagingPathFor(target)), PathKind::Other);
  EXPECT_FALSE(replaceFile(port, target, "0x12 0x34 0x8 "));
  EXPECT_EQ(directory.readFile("SERIAL.TXT"), "0x12 0x34 0x7 ");
  EXPECT_EQ(directory.readFile("OTHER.TXT"), "somebody else's");
  EXPECT_TRUE(std::filesystem::is_symlink(stagingPathFor(target)));
}

TEST(SenseText, DecodesKeyAndAdditionalCode) {
  const std::vector<Byte> sense = {0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x20, 0x00};
  EXPECT_EQ(senseText(sense), "Illegal Request: Additional sense: Invalid command operation code");
  EXPECT_EQ(senseText({}), "");
}

TEST(NodeAccess, NamesTheNodeAndWhatGivesAccess) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("dev-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "sg2").put('\0');
  FakeScsiGeneric sg;
  EXPECT_EQ(inaccessibleNode(twoReaders(), sg, folder), std::nullopt);
  EXPECT_TRUE(sg.opened.empty()) << "each node is closed again";

  sg.refusals[(folder / "sg2").string()] = EACCES;
  const group* owner = getgrgid(getegid());
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(inaccessibleNode(twoReaders(), sg, folder),
            "cannot open " + (folder / "sg2").string() + ": Permission denied (run as root, or as a member of group \"" +
                owner->gr_name + "\")");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace updater
