#include "platform/sim/machine_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "testing/pass_through_request.h"

namespace updater {
namespace {

// The example machine the console front end documents.
constexpr const char* kExample = R"({
  "windows": {"nt": true, "major": 5, "minor": 1},
  "date": "2007-12-25",
  "drives": "C",
  "readers": [
    {
      "letters": "EF",
      "inquiry": {"vendor": "Generic", "product": "USB Card Reader", "revision": "1.00"},
      "vendorId": "1234", "productId": "5678",
      "manufacturer": "Maker", "product": "Reader", "serial": "000000000001",
      "fwRevision": "01 02 03 07 0c 19 00 00",
      "hwRevision": "40 23 41",
      "firmware": "old-firmware.bin",
      "answers": {"verify": ["33", "5a"]}
    }
  ]
})";

class MachineFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("machine-file-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void writeFile(const std::string& name, const std::string& contents) {
    std::ofstream(folder_ / name, std::ios::binary) << contents;
  }

  MachineFileResult parse(const std::string& text) { return parseMachineFile(text, folder_); }

  std::filesystem::path folder_;
};

TEST_F(MachineFileTest, ExampleMachineRoundTrip) {
  writeFile("old-firmware.bin", std::string("\x01\x02\x03\xff", 4));
  writeFile("example.json", kExample);
  const MachineFileResult result = loadMachineFile(folder_ / "example.json");
  ASSERT_TRUE(result.machine) << result.error;
  const MachineDescription& machine = *result.machine;
  EXPECT_TRUE(machine.windows.nt);
  EXPECT_EQ(machine.date, (LocalDate{2007, 12, 25}));
  EXPECT_EQ(machine.drives, "C");
  ASSERT_EQ(machine.readers.size(), 1u);
  const ReaderDescription& reader = machine.readers[0];
  EXPECT_EQ(reader.letters, "EF");
  EXPECT_EQ(reader.inquiry.product, "USB Card Reader");
  EXPECT_EQ(reader.vendorId, 0x1234);
  EXPECT_EQ(reader.productId, 0x5678);
  EXPECT_EQ(reader.serial, "000000000001");
  EXPECT_EQ(reader.fwRevision, (std::array<Byte, 8>{1, 2, 3, 7, 0x0C, 0x19, 0, 0}));
  EXPECT_EQ(reader.hwRevision, (std::array<Byte, 3>{0x40, 0x23, 0x41}));
  EXPECT_EQ(reader.answers.verify, (std::vector<Byte>{0x33, 0x5A}));
  EXPECT_TRUE(reader.answers.jump.empty());

  // The machine built from it answers as the file says.
  Transcript transcript;
  SimMachine sim(transcript, machine);
  EXPECT_EQ(sim.versionWord(), 0x0105u);
  EXPECT_EQ(sim.localDate(), (LocalDate{2007, 12, 25}));
  EXPECT_EQ(sim.logicalDrives(), (1u << 2) | (1u << 4) | (1u << 5));
  EXPECT_EQ(sim.reader(1).loader.flash, (std::vector<Byte>{1, 2, 3, 0xFF}));

  const HandleValue drive = openDrive(sim, 'F');
  auto inquiry = inquiryRequest();
  ASSERT_TRUE(sendPassThrough(sim, drive, inquiry).ok);
  const auto inquiryData = inquiry.data(36);
  EXPECT_EQ(std::string(inquiryData.begin() + 8, inquiryData.end()), "Generic USB Card Reader 1.00");
  auto identify = deviceIdentifyRequest();
  ASSERT_TRUE(sendPassThrough(sim, drive, identify).ok);
  const auto block = identify.data(528);
  EXPECT_EQ(block[8], 0x34);
  EXPECT_EQ(block[9], 0x12);
  EXPECT_EQ(std::string(block.begin() + 46, block.begin() + 51), "Maker");
  EXPECT_EQ(block[120], '1');
  EXPECT_EQ(block[153], 0x19);
  EXPECT_EQ(std::string(block.begin() + 176, block.begin() + 184), "Generic ");
  EXPECT_EQ(block[384], 0x41);

  auto jump = jumpToIspRequest();
  sendPassThrough(sim, drive, jump);
  auto compare = sendIspDataRequest(IspDataMode::Verify, {1, 2, 3, 0xFF});
  sendPassThrough(sim, drive, compare);
  auto status = getIspStatusRequest();
  sendPassThrough(sim, drive, status);
  EXPECT_EQ(status.buffer[request_offset::kData], 0x33) << "the first scripted compare answer";
  sim.closeHandle(drive);
  EXPECT_TRUE(sim.violations().empty());
}

TEST_F(MachineFileTest, EmptyObjectTakesEveryDefault) {
  const MachineFileResult result = parse("{}");
  ASSERT_TRUE(result.machine) << result.error;
  const MachineDescription& machine = *result.machine;
  EXPECT_TRUE(machine.windows.nt);
  EXPECT_EQ(machine.windows.major, 5);
  EXPECT_EQ(machine.windows.minor, 1);
  EXPECT_FALSE(machine.date) << "today's date, taken when the machine is built";
  EXPECT_EQ(machine.drives, "C");
  EXPECT_TRUE(machine.selfDrivers.empty());
  EXPECT_FALSE(machine.selfDriverDeviceCount);
  EXPECT_EQ(machine.aspi, AspiLayerState::Ready);
  EXPECT_TRUE(machine.readers.empty());
}

TEST_F(MachineFileTest, ReaderDefaults) {
  const MachineFileResult result = parse(R"({"readers": [{}]})");
  ASSERT_TRUE(result.machine) << result.error;
  const ReaderDescription& reader = result.machine->readers.at(0);
  EXPECT_EQ(reader.letters, "");
  EXPECT_FALSE(reader.units);
  EXPECT_EQ(reader.inquiry.vendor, "Generic");
  EXPECT_EQ(reader.inquiry.product, "USB Reader");
  EXPECT_EQ(reader.inquiry.revision, "1.00");
  EXPECT_FALSE(reader.identifyInquiry);
  EXPECT_FALSE(reader.identify);
  EXPECT_TRUE(reader.firmware.empty());
  EXPECT_TRUE(reader.failures.empty());
  EXPECT_EQ(reader.aspiAdapter, 0);
  EXPECT_EQ(reader.aspiTargets, std::vector<int>{0});
}

TEST_F(MachineFileTest, EveryOtherFieldIsRead) {
  writeFile("ms.bin", "MS");
  std::string identify;
  for (int i = 0; i < 528; ++i) identify += "5a ";
  const std::string text = R"({
    "windows": {"nt": false, "major": 4, "minor": 90},
    "host": {"name": "Linux", "release": "6.1.0-28-amd64"},
    "drives": "cd",
    "selfDrivers": ["UDSKIO", "KV20DISK"],
    "selfDriverDeviceCount": 200,
    "aspi": "badStatus",
    "readers": [
      {"letters": "G", "unitNames": ["sdb"], "units": 2, "msRevision": "10AB", "msLoaderRevision": "LD",
       "identifyInquiry": {"product": "Other"}, "usb20FwRevision": "0102030405060708", "fwRevisionOrg": "a1b2c3d4",
       "msFirmware": "ms.bin",
       "answers": {"jump": ["9c"], "program": ["a5"], "msJump": ["9C"], "msTransfer": ["33", "a5"], "msBack": []},
       "failures": [{"command": "getIspStatus", "occurrence": 3, "kind": "scsiStatus"}, {"command": "open"}],
       "compareSkips": [[0, 16], [4096, 4294967295]],
       "aspiAdapter": 1, "aspiTargets": [0, 1]},
      {"letters": "H", "identify": ")" +
                           identify + R"("}
    ]
  })";
  const MachineFileResult result = parse(text);
  ASSERT_TRUE(result.machine) << result.error;
  const MachineDescription& machine = *result.machine;
  EXPECT_EQ(versionWord(machine.windows), 0x80005A04u);
  EXPECT_EQ(machine.host.name, "Linux");
  EXPECT_EQ(machine.host.release, "6.1.0-28-amd64");
  EXPECT_EQ(machine.drives, "CD");
  EXPECT_EQ(machine.selfDrivers, (std::vector<std::string>{"UDSKIO", "KV20DISK"}));
  EXPECT_EQ(machine.selfDriverDeviceCount, 200);
  EXPECT_EQ(machine.aspi, AspiLayerState::BadStatus);
  const ReaderDescription& first = machine.readers.at(0);
  EXPECT_EQ(first.units, 2);
  EXPECT_EQ(first.unitNames, std::vector<std::string>{"sdb"});
  EXPECT_EQ(first.msRevision, "10AB");
  EXPECT_EQ(first.msLoaderRevision, "LD");
  ASSERT_TRUE(first.identifyInquiry);
  EXPECT_EQ(first.identifyInquiry->vendor, "Generic") << "taken from the inquiry";
  EXPECT_EQ(first.identifyInquiry->product, "Other");
  EXPECT_EQ(first.usb20FwRevision, (std::array<Byte, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(first.fwRevisionOrg, (std::array<Byte, 4>{0xA1, 0xB2, 0xC3, 0xD4}));
  EXPECT_EQ(first.msFirmware, (std::vector<Byte>{'M', 'S'}));
  EXPECT_EQ(first.answers.jump, std::vector<Byte>{0x9C});
  EXPECT_EQ(first.answers.program, std::vector<Byte>{0xA5});
  EXPECT_EQ(first.msAnswers.jump, std::vector<Byte>{0x9C});
  EXPECT_EQ(first.msAnswers.transfer, (std::vector<Byte>{0x33, 0xA5}));
  EXPECT_TRUE(first.msAnswers.back.empty());
  ASSERT_EQ(first.failures.size(), 2u);
  EXPECT_EQ(first.failures[0].command, "getIspStatus");
  EXPECT_EQ(first.failures[0].occurrence, 3);
  EXPECT_EQ(first.failures[0].kind, FailureKind::ScsiStatus);
  EXPECT_EQ(first.failures[1].occurrence, 1);
  EXPECT_EQ(first.failures[1].kind, FailureKind::Transport);
  EXPECT_EQ(first.compareSkips, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{0, 16}, {4096, 0xFFFFFFFF}}));
  EXPECT_EQ(first.aspiAdapter, 1);
  EXPECT_EQ(first.aspiTargets, (std::vector<int>{0, 1}));
  ASSERT_TRUE(machine.readers.at(1).identify);
  EXPECT_EQ((*machine.readers.at(1).identify)[527], 0x5A);
}

TEST_F(MachineFileTest, TextsAreSingleByteCharacters) {
  const MachineFileResult result = parse(R"({"readers": [{"manufacturer": "Caf\u00e9 \u00ff", "serial": "\u00a9"}]})");
  ASSERT_TRUE(result.machine) << result.error;
  EXPECT_EQ(result.machine->readers[0].manufacturer, "Caf\xE9 \xFF");
  EXPECT_EQ(result.machine->readers[0].serial, "\xA9");
}

TEST_F(MachineFileTest, FirmwareNamesResolveAgainstTheMachineFilesFolder) {
  std::filesystem::create_directories(folder_ / "machines" / "images");
  writeFile("machines/images/fw.bin", "FW");
  writeFile("machines/m.json", R"({"readers": [{"firmware": "images/fw.bin"}]})");
  const MachineFileResult result = loadMachineFile(folder_ / "machines" / "m.json");
  ASSERT_TRUE(result.machine) << result.error;
  EXPECT_EQ(result.machine->readers[0].firmware, (std::vector<Byte>{'F', 'W'}));

  EXPECT_EQ(loadMachineFile(folder_ / "absent.json").error.rfind("machine file: cannot read", 0), 0u);
}

TEST_F(MachineFileTest, OnlyPlainFilesOfBoundedSizeAreRead) {
  std::filesystem::create_directories(folder_ / "images");
  EXPECT_EQ(parse(R"({"readers": [{"firmware": "images"}]})").error, "readers[0].firmware: cannot read \"images\"");
  writeFile("huge.bin", std::string((1 << 20) + 1, 'x'));
  EXPECT_EQ(parse(R"({"readers": [{"firmware": "huge.bin"}]})").error,
            "readers[0].firmware: \"huge.bin\" is larger than 1 MiB");
  writeFile("limit.bin", std::string(1 << 20, 'x'));
  const MachineFileResult atLimit = parse(R"({"readers": [{"firmware": "limit.bin"}]})");
  ASSERT_TRUE(atLimit.machine) << atLimit.error;
  EXPECT_EQ(atLimit.machine->readers[0].firmware.size(), std::size_t{1} << 20);
}

struct RejectedRow {
  const char* name;
  std::string text;
  std::string error;
};

TEST_F(MachineFileTest, RejectedMachineFilesNameTheFieldAndItsPath) {
  std::string identify;
  for (int i = 0; i < 528; ++i) identify += "00";
  const RejectedRow rows[] = {
      {"not JSON", "{", ""},
      {"not an object", "[]", "machine file: expected a JSON object"},
      {"unknown machine field", R"({"drive": "C"})", "drive: unknown field"},
      {"unknown reader field", R"({"readers": [{}, {"fwRevison": "00"}]})", "readers[1].fwRevison: unknown field"},
      {"unknown inquiry field", R"({"readers": [{"inquiry": {"vendors": "x"}}]})",
       "readers[0].inquiry.vendors: unknown field"},
      {"repeated field", R"({"readers": [{}, {"letters": "E", "serial": "1", "letters": "F"}]})",
       "readers[1].letters: given twice"},
      {"repeated machine field", R"({"drives": "C", "drives": "D"})", "drives: given twice"},
      {"windows of wrong type", R"({"windows": "XP"})", "windows: expected an object"},
      {"nt not a bool", R"({"windows": {"nt": 1}})", "windows.nt: expected true or false"},
      {"major out of range", R"({"windows": {"major": 256}})", "windows.major: expected an integer from 0 to 255"},
      {"minor negative", R"({"windows": {"minor": -1}})", "windows.minor: expected an integer from 0 to 255"},
      {"minor fractional", R"({"windows": {"minor": 1.5}})", "windows.minor: expected an integer"},
      {"date shape", R"({"date": "2007-1-25"})", "date: expected a date \"YYYY-MM-DD\""},
      {"date not in the calendar", R"({"date": "2007-02-29"})", "date: \"2007-02-29\" is not a calendar date"},
      {"drive not a letter", R"({"drives": "C1"})", "drives: '1' is not a drive letter"},
      {"host without a name", R"({"host": {"release": "6.1"}})", "host.name: missing"},
      {"unit name not a device name", R"({"readers": [{"letters": "E", "unitNames": ["../sda"]}]})",
       "readers[0].unitNames[0]: expected a device name such as \"sdb\""},
      {"unit names not one per letter", R"({"readers": [{"letters": "EF", "unitNames": ["sdb"]}]})",
       "readers[0].unitNames: expected one name per drive letter"},
      {"drive letter twice", R"({"drives": "CDc"})", "drives: drive letter C given twice"},
      {"letter on a drive and a reader", R"({"drives": "CE", "readers": [{"letters": "E"}]})",
       "readers[0].letters: drive letter E is already in drives"},
      {"letter on two readers", R"({"readers": [{"letters": "EF"}, {"letters": "GF"}]})",
       "readers[1].letters: drive letter F is already in readers[0].letters"},
      {"unknown self driver", R"({"selfDrivers": ["UDSKIO", "UDSKI0"]})",
       "selfDrivers[1]: expected \"UDSKIO\", \"KVDKPDRV\", \"QM_URDR\" or \"KV20DISK\""},
      {"device count too large", R"({"selfDriverDeviceCount": 256})",
       "selfDriverDeviceCount: expected an integer from 0 to 255"},
      {"aspi state", R"({"aspi": "Ready"})",
       "aspi: expected one of \"ready\", \"missing\", \"missingEntryPoint\", \"noAdapter\", \"badStatus\""},
      {"readers not an array", R"({"readers": {}})", "readers: expected an array"},
      {"session not an array", R"({"readers": [{"session": {}}]})", "readers[0].session: expected an array"},
      {"session request without a name", R"({"readers": [{"session": [{"cdb": "12"}]}]})",
       "readers[0].session[0].request: missing"},
      {"session request of unknown name", R"({"readers": [{"session": [{"request": "read"}]}]})",
       "readers[0].session[0].request: expected a request name such as \"sendIspData\""},
      {"session request field unknown", R"({"readers": [{"session": [{"request": "inquiry", "data": "00"}]}]})",
       "readers[0].session[0].data: unknown field"},
      {"session status of two bytes", R"({"readers": [{"session": [{"request": "inquiry", "status": "0202"}]}]})",
       "readers[0].session[0].status: expected one status byte, found 2"},
      {"session failure with an answer",
       R"({"readers": [{"session": [{"request": "inquiry", "transportFailure": true, "dataIn": "00"}]}]})",
       "readers[0].session[0].dataIn: given together with \"transportFailure\""},
      {"oversized inquiry vendor", R"({"readers": [{"inquiry": {"vendor": "Generic12"}}]})",
       "readers[0].inquiry.vendor: longer than 8 characters"},
      {"oversized inquiry revision", R"({"readers": [{"inquiry": {"revision": "1.000"}}]})",
       "readers[0].inquiry.revision: longer than 4 characters"},
      {"oversized manufacturer", R"({"readers": [{"manufacturer": "1234567890123456789012345"}]})",
       "readers[0].manufacturer: longer than 24 characters"},
      {"oversized product", R"({"readers": [{"product": "12345678901234567"}]})",
       "readers[0].product: longer than 16 characters"},
      {"oversized serial", R"({"readers": [{"serial": "0000000000001"}]})",
       "readers[0].serial: longer than 12 characters"},
      {"oversized ms revision", R"({"readers": [{"msRevision": "123456789"}]})",
       "readers[0].msRevision: longer than 8 characters"},
      {"character beyond one byte", R"({"readers": [{"product": "\u20ac"}]})",
       "readers[0].product: holds a character that is not a single byte (beyond U+00FF)"},
      {"vendor id too short", R"({"readers": [{"vendorId": "123"}]})",
       "readers[0].vendorId: expected 4 hexadecimal digits"},
      {"vendor id not hex", R"({"readers": [{"vendorId": "12G4"}]})",
       "readers[0].vendorId: expected 4 hexadecimal digits"},
      {"vendor id a number", R"({"readers": [{"productId": 1234}]})",
       "readers[0].productId: expected 4 hexadecimal digits"},
      {"bad hex digit", R"({"readers": [{"fwRevision": "01 02 03 07 0g 19 00 00"}]})",
       "readers[0].fwRevision: bad hexadecimal byte text at character 13 (two digits per byte, blanks only between "
       "bytes)"},
      {"blank inside a byte", R"({"readers": [{"hwRevision": "40 2 3 41"}]})",
       "readers[0].hwRevision: bad hexadecimal byte text at character 4 (two digits per byte, blanks only between "
       "bytes)"},
      {"odd digit count", R"({"readers": [{"hwRevision": "40234"}]})",
       "readers[0].hwRevision: bad hexadecimal byte text at character 5 (two digits per byte, blanks only between "
       "bytes)"},
      {"too few bytes", R"({"readers": [{"hwRevision": "40 23"}]})",
       "readers[0].hwRevision: expected 3 bytes, found 2"},
      {"too many bytes", R"({"readers": [{"fwRevisionOrg": "01 02 03 04 05"}]})",
       "readers[0].fwRevisionOrg: expected 4 bytes, found 5"},
      {"short identify", R"({"readers": [{"identify": "00 01"}]})", "readers[0].identify: expected 528 bytes, found 2"},
      {"identify together with identity fields", R"({"readers": [{"serial": "1", "identify": ")" + identify + R"("}]})",
       "readers[0].identify: given together with \"serial\""},
      {"missing firmware file", R"({"readers": [{"firmware": "absent.bin"}]})",
       "readers[0].firmware: cannot read \"absent.bin\""},
      {"firmware not a name", R"({"readers": [{"msFirmware": ""}]})", "readers[0].msFirmware: expected a file name"},
      {"unknown answer kind", R"({"readers": [{"answers": {"status": ["9c"]}}]})",
       "readers[0].answers.status: unknown field"},
      {"answer not a byte", R"({"readers": [{"answers": {"verify": ["5a", "5a5a"]}}]})",
       "readers[0].answers.verify[1]: expected one status byte, found 2"},
      {"answer as a number", R"({"readers": [{"answers": {"jump": [156]}}]})",
       "readers[0].answers.jump[0]: expected hexadecimal byte text"},
      {"failure without a command", R"({"readers": [{"failures": [{"occurrence": 2}]}]})",
       "readers[0].failures[0].command: missing"},
      {"unknown failure command", R"({"readers": [{"failures": [{"command": "programData"}]}]})",
       "readers[0].failures[0].command: expected a request name such as \"sendIspData\""},
      {"occurrence zero", R"({"readers": [{"failures": [{"command": "open", "occurrence": 0}]}]})",
       "readers[0].failures[0].occurrence: expected an integer from 1 to 2147483647"},
      {"unknown failure kind", R"({"readers": [{"failures": [{"command": "open", "kind": "timeout"}]}]})",
       "readers[0].failures[0].kind: expected one of \"transport\", \"scsiStatus\""},
      {"unplugging is for tests in code", R"({"readers": [{"failures": [{"command": "open", "kind": "unplugged"}]}]})",
       "readers[0].failures[0].kind: expected one of \"transport\", \"scsiStatus\""},
      {"unknown failure field", R"({"readers": [{"failures": [{"command": "open", "after": 1}]}]})",
       "readers[0].failures[0].after: unknown field"},
      {"skip not a pair", R"({"readers": [{"compareSkips": [[0, 16, 2]]}]})",
       "readers[0].compareSkips[0]: expected [offset, length]"},
      {"skip negative", R"({"readers": [{"compareSkips": [[0, 16], [-1, 2]]}]})",
       "readers[0].compareSkips[1][0]: expected an integer from 0 to 4294967295"},
      {"units out of range", R"({"readers": [{"units": 300}]})", "readers[0].units: expected an integer from 0 to 255"},
      {"aspi target not a number", R"({"readers": [{"aspiTargets": [0, "1"]}]})",
       "readers[0].aspiTargets[1]: expected an integer"},
  };
  for (const auto& row : rows) {
    const MachineFileResult result = parse(row.text);
    EXPECT_FALSE(result.machine) << row.name;
    if (row.error.empty()) {
      EXPECT_EQ(result.error.rfind("machine file: not JSON: ", 0), 0u) << row.name << ": " << result.error;
    } else {
      EXPECT_EQ(result.error, row.error) << row.name;
    }
  }
}

}  // namespace
}  // namespace updater
