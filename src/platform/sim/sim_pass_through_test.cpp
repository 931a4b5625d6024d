#include "platform/sim/sim_pass_through.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "testing/pass_through_request.h"

namespace updater {
namespace {

using namespace request_offset;

std::string text(const std::vector<Byte>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class PassThroughTest : public ::testing::Test {
 protected:
  PassThroughTest() : machine_(transcript_, machineWithOneReader()) {}

  static MachineDescription machineWithOneReader() {
    MachineDescription description;
    description.drives = "C";
    ReaderDescription reader;
    reader.letters = "EF";
    reader.inquiry = {"Generic", "USB Card Reader", "1.00"};
    reader.serial = "000000000001";
    reader.hwRevision = {0x40, 0x23, 0x41};
    description.readers.push_back(reader);
    return description;
  }

  SimReader& reader() { return machine_.reader(1); }

  /// Opens `letter`, sends `request`, closes again.
  DeviceIoResult exchange(char letter, PassThroughRequestBytes& request) {
    const HandleValue drive = openDrive(machine_, letter);
    const DeviceIoResult result = sendPassThrough(machine_, drive, request);
    machine_.closeHandle(drive);
    return result;
  }

  Byte readStatus() {
    auto request = getIspStatusRequest();
    EXPECT_TRUE(exchange('E', request).ok);
    return request.buffer[kData];
  }

  Transcript transcript_;
  SimMachine machine_;
};

TEST_F(PassThroughTest, PlainDiskAnswersInquiryAndFailsEverythingElse) {
  auto inquiry = inquiryRequest();
  const DeviceIoResult result = exchange('C', inquiry);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.bytesReturned, 116u);
  EXPECT_EQ(inquiry.scsiStatus(), 0);
  const auto data = inquiry.data(36);
  EXPECT_EQ(data[0], 0x00) << "direct-access device";
  EXPECT_EQ(data[1], 0x00) << "not removable";
  EXPECT_EQ(text(std::vector<Byte>(data.begin() + 8, data.end())), "ATA     Disk            1.00");

  auto identify = deviceIdentifyRequest();
  EXPECT_FALSE(exchange('C', identify).ok);
  EXPECT_EQ(identify.data(528), std::vector<Byte>(528, 0)) << "nothing written on failure";
  EXPECT_TRUE(machine_.violations().empty());

  const auto inquiries = machine_.requests("inquiry");
  ASSERT_EQ(inquiries.size(), 1u);
  EXPECT_EQ(inquiries[0].reader, 0) << "no reader on C";
  EXPECT_EQ(inquiries[0].cdb, "120000002400000000000000");
  EXPECT_EQ(inquiries[0].length, 36u);
  EXPECT_TRUE(inquiries[0].ok);
  EXPECT_FALSE(machine_.requests("deviceIdentify")[0].ok);
}

TEST_F(PassThroughTest, ReaderAnswersInquiryOnEachOfItsLetters) {
  for (const char letter : {'E', 'F'}) {
    auto inquiry = inquiryRequest();
    ASSERT_TRUE(exchange(letter, inquiry).ok) << letter;
    const auto data = inquiry.data(36);
    EXPECT_EQ(data[1], 0x80) << "removable";
    EXPECT_EQ(data[4], 31) << "additional length";
    EXPECT_EQ(text(std::vector<Byte>(data.begin() + 8, data.end())), "Generic USB Card Reader 1.00") << letter;
  }
  EXPECT_EQ(reader().requestCount("inquiry"), 2);
}

TEST_F(PassThroughTest, IdentifyCommandsReturnTheIdentifyBlock) {
  auto device = deviceIdentifyRequest();
  ASSERT_TRUE(exchange('E', device).ok);
  const auto block = device.data(528);
  EXPECT_EQ(block, std::vector<Byte>(reader().identify.begin(), reader().identify.end()));
  EXPECT_EQ(block[382], 0x40);
  EXPECT_EQ(block[98], '0');
  EXPECT_EQ(block[120], '1');

  for (const Byte variant : {Byte{0x13}, Byte{0x03}}) {
    auto driver = driverIdentifyRequest(variant);
    ASSERT_TRUE(exchange('E', driver).ok) << int{variant};
    EXPECT_EQ(driver.data(512), std::vector<Byte>(block.begin(), block.begin() + 512));
    EXPECT_EQ(driver.buffer[kData + 512], 0) << "only 512 bytes";
  }
  EXPECT_EQ(reader().requestCount("driverIdentify13"), 1);
  EXPECT_EQ(reader().requestCount("driverIdentify03"), 1);
}

TEST_F(PassThroughTest, HonestLoaderExchangeProgramsAndCompares) {
  const std::vector<Byte> image(1000, 0x5C);
  const HandleValue drive = openDrive(machine_, 'E');

  auto jump = jumpToIspRequest();
  ASSERT_TRUE(sendPassThrough(machine_, drive, jump).ok);
  EXPECT_EQ(jump.scsiStatus(), 0);
  auto status = getIspStatusRequest();
  ASSERT_TRUE(sendPassThrough(machine_, drive, status).ok);
  EXPECT_EQ(status.buffer[kData], 0x9C);

  auto program = sendIspDataRequest(IspDataMode::Program, image);
  ASSERT_TRUE(sendPassThrough(machine_, drive, program).ok);
  status = getIspStatusRequest();
  ASSERT_TRUE(sendPassThrough(machine_, drive, status).ok);
  EXPECT_EQ(status.buffer[kData], 0xA5);
  EXPECT_EQ(reader().loader.flash, image);

  auto compare = sendIspDataRequest(IspDataMode::Verify, image);
  ASSERT_TRUE(sendPassThrough(machine_, drive, compare).ok);
  status = getIspStatusRequest();
  ASSERT_TRUE(sendPassThrough(machine_, drive, status).ok);
  EXPECT_EQ(status.buffer[kData], 0x5A);
  machine_.closeHandle(drive);

  const auto sends = machine_.requests("sendIspData");
  ASSERT_EQ(sends.size(), 2u);
  EXPECT_EQ(sends[0].route, "PassThrough");
  EXPECT_EQ(sends[0].reader, 1);
  EXPECT_EQ(sends[0].cdb, "06b10000e803020000000000");
  EXPECT_EQ(sends[0].length, 1024u);
  EXPECT_TRUE(sends[0].ok);
  EXPECT_EQ(sends[0].status, -1);
  const auto statuses = machine_.requests("getIspStatus");
  ASSERT_EQ(statuses.size(), 3u);
  EXPECT_EQ(statuses[0].status, 0x9C);
  EXPECT_EQ(statuses[1].status, 0xA5);
  EXPECT_EQ(statuses[2].status, 0x5A);
  EXPECT_EQ(statuses[2].cdb, "06b000000800000000000000");
  EXPECT_TRUE(machine_.violations().empty());
}

TEST_F(PassThroughTest, ScriptedAnswerReplacesTheStatusButTheFlashStillFollows) {
  reader().loader.script.program = {0x77};
  const std::vector<Byte> image(512, 0x11);
  auto jump = jumpToIspRequest();
  exchange('E', jump);
  auto program = sendIspDataRequest(IspDataMode::Program, image);
  ASSERT_TRUE(exchange('E', program).ok);
  EXPECT_EQ(readStatus(), 0x77);
  EXPECT_EQ(reader().loader.flash, image);
}

TEST_F(PassThroughTest, TransportFailureFailsTheCallAndNeverReachesTheLoader) {
  reader().failures.failures = {{"sendIspData", 1, FailureKind::Transport}};
  auto jump = jumpToIspRequest();
  exchange('E', jump);
  auto first = sendIspDataRequest(IspDataMode::Program, std::vector<Byte>(512, 0x22));
  EXPECT_FALSE(exchange('E', first).ok);
  EXPECT_TRUE(reader().loader.flash.empty());
  EXPECT_EQ(reader().loader.programCount(), 0);

  auto second = sendIspDataRequest(IspDataMode::Program, std::vector<Byte>(512, 0x22));
  EXPECT_TRUE(exchange('E', second).ok) << "only the first occurrence fails";
  EXPECT_EQ(reader().loader.flash.size(), 512u);
  const auto sends = machine_.requests("sendIspData");
  ASSERT_EQ(sends.size(), 2u);
  EXPECT_FALSE(sends[0].ok);
  EXPECT_TRUE(sends[1].ok);
}

TEST_F(PassThroughTest, ScsiStatusFailureCompletesWithCheckCondition) {
  reader().failures.failures = {{"getIspStatus", 2, FailureKind::ScsiStatus},
                                {"deviceIdentify", 1, FailureKind::ScsiStatus}};
  auto jump = jumpToIspRequest();
  exchange('E', jump);
  EXPECT_EQ(readStatus(), 0x9C);

  auto status = getIspStatusRequest();
  const DeviceIoResult result = exchange('E', status);
  EXPECT_TRUE(result.ok) << "the call itself succeeds";
  EXPECT_EQ(status.scsiStatus(), 2);
  EXPECT_EQ(status.buffer[kData], 0) << "no answer byte";
  EXPECT_EQ(reader().loader.statusReadCount(), 1) << "the loader never saw it";

  auto identify = deviceIdentifyRequest();
  EXPECT_TRUE(exchange('E', identify).ok);
  EXPECT_EQ(identify.scsiStatus(), 2);
  EXPECT_EQ(identify.data(528), std::vector<Byte>(528, 0));
  EXPECT_FALSE(machine_.requests("deviceIdentify")[0].ok);
}

// --- Requests that deviate -----------------------------------------------------

struct DeviationRow {
  const char* name;
  void (*spoil)(PassThroughRequestBytes&);
  const char* violation;
};

TEST_F(PassThroughTest, EachCheckedFieldRejectsADeviation) {
  const DeviationRow rows[] = {
      {"Length", [](PassThroughRequestBytes& r) { putU16(r.buffer, kLength, 56); },
       "PassThrough inquiry: Length 56, expected 44"},
      {"ScsiStatus", [](PassThroughRequestBytes& r) { r.buffer[kScsiStatus] = 2; },
       "PassThrough inquiry: ScsiStatus 2, expected 0"},
      {"PathId", [](PassThroughRequestBytes& r) { r.buffer[kPathId] = 1; },
       "PassThrough inquiry: PathId 1, expected 0"},
      {"TargetId zero", [](PassThroughRequestBytes& r) { r.buffer[kTargetId] = 0; },
       "PassThrough inquiry: TargetId 0, expected 1"},
      {"Lun", [](PassThroughRequestBytes& r) { r.buffer[kLun] = 1; }, "PassThrough inquiry: Lun 1, expected 0"},
      {"CdbLength", [](PassThroughRequestBytes& r) { r.buffer[kCdbLength] = 6; },
       "PassThrough inquiry: CdbLength 6, expected 12"},
      {"SenseInfoLength", [](PassThroughRequestBytes& r) { r.buffer[kSenseInfoLength] = 32; },
       "PassThrough inquiry: SenseInfoLength 32, expected 24"},
      {"DataIn", [](PassThroughRequestBytes& r) { r.buffer[kDataIn] = 0; },
       "PassThrough inquiry: DataIn 0, expected 1"},
      {"alignment", [](PassThroughRequestBytes& r) { r.buffer[10] = 0xCC; },
       "PassThrough inquiry: alignment byte 10 204, expected 0"},
      {"DataTransferLength", [](PassThroughRequestBytes& r) { putU32(r.buffer, kDataTransferLength, 40); },
       "PassThrough inquiry: DataTransferLength 40, expected 36"},
      {"TimeOutValue", [](PassThroughRequestBytes& r) { putU32(r.buffer, kTimeOutValue, 30); },
       "PassThrough inquiry: TimeOutValue 30, expected 2"},
      {"DataBufferOffset", [](PassThroughRequestBytes& r) { putU32(r.buffer, kDataBufferOffset, 48); },
       "PassThrough inquiry: DataBufferOffset 48, expected 80"},
      {"SenseInfoOffset", [](PassThroughRequestBytes& r) { putU32(r.buffer, kSenseInfoOffset, 44); },
       "PassThrough inquiry: SenseInfoOffset 44, expected 48"},
      {"unit in the command block", [](PassThroughRequestBytes& r) { r.buffer[kCdb + 1] = 0x20; },
       "PassThrough inquiry: Cdb[1] 32, expected 0"},
      {"allocation length", [](PassThroughRequestBytes& r) { r.buffer[kCdb + 4] = 0x28; },
       "PassThrough inquiry: Cdb[4] 40, expected 36"},
      {"tail of the 16-byte field", [](PassThroughRequestBytes& r) { r.buffer[kCdb + 15] = 1; },
       "PassThrough inquiry: Cdb[15] 1, expected 0"},
      {"input size", [](PassThroughRequestBytes& r) { r.inputSize = 80; },
       "PassThrough inquiry: input size 80, expected 44"},
      {"output size", [](PassThroughRequestBytes& r) { r.outputSize = 80 + 528; },
       "PassThrough inquiry: output size 608, expected 116"},
      {"filler", [](PassThroughRequestBytes& r) { r.buffer[45] = 9; },
       "PassThrough inquiry: filler byte 45 9, expected 0"},
      {"sense area", [](PassThroughRequestBytes& r) { r.buffer[kSense + 3] = 0x70; },
       "PassThrough inquiry: sense area byte 51 112, expected 0"},
      {"data area not cleared", [](PassThroughRequestBytes& r) { r.buffer[kData + 35] = 'x'; },
       "PassThrough inquiry: data area byte 115 120, expected 0"},
      {"short input", [](PassThroughRequestBytes& r) { r.inputSize = 40; },
       "PassThrough pass-through request: input size 40, expected at least 44"},
      {"unknown command", [](PassThroughRequestBytes& r) { r.buffer[kCdb] = 0x28; },
       "PassThrough pass-through request: unknown command block 280000002400000000000000"},
  };
  for (const auto& row : rows) {
    auto request = inquiryRequest();
    row.spoil(request);
    const std::vector<Byte> sent = request.buffer;
    const std::size_t before = machine_.violations().size();
    EXPECT_FALSE(exchange('E', request).ok) << row.name;
    ASSERT_EQ(machine_.violations().size(), before + 1) << row.name;
    EXPECT_EQ(machine_.violations().back(), row.violation) << row.name;
    EXPECT_EQ(request.buffer, sent) << row.name << ": nothing written";
  }
  EXPECT_EQ(reader().requestCount("inquiry"), 0) << "no rejected request reaches the reader";
  EXPECT_TRUE(machine_.requests("inquiry").empty());
  const auto events = transcript_.ofKind(EventKind::Violation);
  ASSERT_EQ(events.size(), std::size(rows));
  EXPECT_EQ(events[0].text, rows[0].violation);
}

TEST_F(PassThroughTest, VendorCommandsCarryTheirOwnSizesAndTimeouts) {
  const DeviationRow rows[] = {
      {"jump byte 5 of another route", [](PassThroughRequestBytes& r) { r.buffer[kCdb + 5] = 0x08; },
       "PassThrough jumpToIsp: Cdb[5] 8, expected 0"},
      {"jump timeout", [](PassThroughRequestBytes& r) { putU32(r.buffer, kTimeOutValue, 30); },
       "PassThrough jumpToIsp: TimeOutValue 30, expected 2"},
      {"jump as data-out", [](PassThroughRequestBytes& r) { r.buffer[kDataIn] = 0; },
       "PassThrough jumpToIsp: DataIn 0, expected 1"},
  };
  for (const auto& row : rows) {
    auto request = jumpToIspRequest();
    row.spoil(request);
    EXPECT_FALSE(exchange('E', request).ok) << row.name;
    EXPECT_EQ(machine_.violations().back(), row.violation) << row.name;
  }

  const DeviationRow sendRows[] = {
      {"input without the data", [](PassThroughRequestBytes& r) { r.inputSize = 44; },
       "PassThrough sendIspData: input size 44, expected 1104"},
      {"unpadded transfer", [](PassThroughRequestBytes& r) { putU32(r.buffer, kDataTransferLength, 1000); },
       "PassThrough sendIspData: DataTransferLength 1000, expected 1024"},
      {"data-in", [](PassThroughRequestBytes& r) { r.buffer[kDataIn] = 1; },
       "PassThrough sendIspData: DataIn 1, expected 0"},
      {"status timeout", [](PassThroughRequestBytes& r) { putU32(r.buffer, kTimeOutValue, 2); },
       "PassThrough sendIspData: TimeOutValue 2, expected 30"},
      {"command block tail", [](PassThroughRequestBytes& r) { r.buffer[kCdb + 9] = 1; },
       "PassThrough sendIspData: Cdb[9] 1, expected 0"},
  };
  for (const auto& row : sendRows) {
    auto request = sendIspDataRequest(IspDataMode::Program, std::vector<Byte>(1000, 0x33));
    row.spoil(request);
    EXPECT_FALSE(exchange('E', request).ok) << row.name;
    EXPECT_EQ(machine_.violations().back(), row.violation) << row.name;
  }

  auto status = getIspStatusRequest();
  status.outputSize = 80 + 28;
  putU32(status.buffer, kDataTransferLength, 28);
  EXPECT_FALSE(exchange('E', status).ok);
  EXPECT_EQ(machine_.violations().back(), "PassThrough getIspStatus: DataTransferLength 28, expected 8");
  EXPECT_EQ(reader().loader.programCount(), 0);
}

TEST_F(PassThroughTest, MalformedSendIspDataIsTheLoadersToJudge) {
  auto jump = jumpToIspRequest();
  exchange('E', jump);
  auto request = sendIspDataRequest(IspDataMode::Program, std::vector<Byte>(1000, 0x44));
  request.buffer[kCdb + 2] = 1;  // mode disagrees with the opcode
  EXPECT_TRUE(exchange('E', request).ok);
  EXPECT_TRUE(machine_.violations().empty());
  EXPECT_EQ(readStatus(), 0xEE);
}

TEST_F(PassThroughTest, LargestImageFillsTheWholeDataArea) {
  std::vector<Byte> image(65535, 0x66);
  auto jump = jumpToIspRequest();
  exchange('E', jump);
  auto request = sendIspDataRequest(IspDataMode::Program, image);
  EXPECT_EQ(request.inputSize, 65616u);
  ASSERT_TRUE(exchange('E', request).ok);
  EXPECT_EQ(readStatus(), 0xA5);
  EXPECT_EQ(reader().loader.flash, image);
  EXPECT_EQ(machine_.requests("sendIspData")[0].length, 65536u);
}

// A command block alone, as a USB bulk-only wrapper carries it: the same
// table decides which request it is, which way its data goes and how long.
TEST(CommandBlockCheckTest, TheCommandTableJudgesABlockWithoutItsRequest) {
  struct Row {
    const char* name;
    std::vector<Byte> block;  // the leading bytes; the rest of the 16 are zero
    const char* request;      // none: refused
    bool dataIn;
    std::uint32_t transferLength;
  };
  const Row rows[] = {
      {"inquiry", {0x12, 0, 0, 0, 0x24}, "inquiry", true, 36},
      {"identify", {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80}, "deviceIdentify", true, 528},
      {"jump", {0x06, 0xBF, 0, 0, 0x08}, "jumpToIsp", true, 0},
      {"program 1000 bytes", {0x06, 0xB1, 0, 0, 0xE8, 0x03, 2}, "sendIspData", false, 1024},
      {"inquiry of another length", {0x12, 0, 0, 0, 0x60}, nullptr, false, 0},
      {"read(10)", {0x28, 0, 0, 0, 0, 0, 0, 0, 1}, nullptr, false, 0},
      {"vendor block beyond 12 bytes", {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 1}, nullptr, false, 0},
  };
  for (const Row& row : rows) {
    std::vector<Byte> field(16, 0);
    std::copy(row.block.begin(), row.block.end(), field.begin());
    const PassThroughCheck check = checkCommandBlock(field);
    if (row.request == nullptr) {
      EXPECT_FALSE(check.request) << row.name;
      EXPECT_FALSE(check.violation.empty()) << row.name;
      continue;
    }
    ASSERT_TRUE(check.request) << row.name << ": " << check.violation;
    EXPECT_STREQ(requestName(*check.request), row.request) << row.name;
    EXPECT_EQ(carriesDataIn(*check.request), row.dataIn) << row.name;
    EXPECT_EQ(check.request->transferLength, row.transferLength) << row.name;
    EXPECT_TRUE(check.request->dataIn.empty() && check.request->dataOut.empty()) << row.name;
  }
  EXPECT_FALSE(checkCommandBlock(std::vector<Byte>(12, 0)).request) << "a field of 12 bytes";
}

}  // namespace
}  // namespace updater
