#include "platform/sim/sim_self_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/reader_identity.h"
#include "platform/sim/sim_machine.h"
#include "testing/driver_request.h"

namespace updater {
namespace {

constexpr std::uint32_t kPortCode = 0x41;
constexpr std::uint32_t kDynamicCode = 0x42;
constexpr std::uint32_t kSignature = 0x04A55A30;
constexpr CommandBlock kJumpBlock08 = {0x06, 0xBF, 0, 0, 0x08, 0x08, 0, 0, 0, 0, 0, 0};
constexpr CommandBlock kStatusBlock = {0x06, 0xB0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0};
constexpr CommandBlock kIdentifyBlock = {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};

ReaderDescription reader(std::string letters, std::string serial) {
  ReaderDescription description;
  description.letters = std::move(letters);
  description.serial = std::move(serial);
  description.usb20FwRevision = {1, 2, 3, 4, 5, 6, 7, 8};
  description.msRevision = "verM2.0a";
  description.msLoaderRevision = "verL1.0a";
  return description;
}

MachineDescription machine(bool nt) {
  MachineDescription description;
  description.windows = nt ? WindowsVersion{true, 5, 0} : WindowsVersion{false, 4, 10};
  description.selfDrivers = {"UDSKIO", "KV20DISK"};
  description.readers = {reader("EF", "000000000001"), reader("G", "000000000002")};
  description.readers[1].units = 3;
  return description;
}

class SimSelfDriver : public ::testing::Test {
 protected:
  explicit SimSelfDriver(bool nt = false) : machine_(transcript_, machine(nt)) {}
  ~SimSelfDriver() override {
    if (handle_ != HandleValue::Null) machine_.closeHandle(handle_);
  }

  void open(std::string_view name, bool deleteOnClose = false) {
    handle_ = openSelfDriverNamed(machine_, name, deleteOnClose);
    ASSERT_NE(handle_, HandleValue::Invalid);
  }

  /// Sends a port record naming `data` (or, with `address`, that address).
  bool port(std::uint32_t command, std::uint32_t parameter, std::uint32_t address, Bytes data,
            std::size_t outputSize, std::optional<DataAddress> dataAddress = std::nullopt) {
    const DataAddress named = dataAddress.value_or(machine_.dataAddress(data));
    const auto record = portRecordBytes(command, parameter, address, named);
    return machine_.deviceIoControl(handle_, kPortCode, record, data.first(outputSize)).ok;
  }

  bool dynamic(std::uint32_t device, const CommandBlock& cdb, std::uint32_t direction, Bytes data,
               std::size_t outputSize) {
    const auto record = dynamicRecordBytes(device, cdb, direction, static_cast<std::uint32_t>(data.size()),
                                           machine_.dataAddress(data));
    return machine_.deviceIoControl(handle_, kDynamicCode, record, data.first(outputSize)).ok;
  }

  bool nt(std::uint32_t code, ConstBytes data, std::uint32_t mode, Bytes answer, std::size_t outputSize) {
    const auto record = ntRecordBytes(code, static_cast<std::uint32_t>(data.size()), mode,
                                      machine_.dataAddress(answer), data);
    return machine_.deviceIoControl(handle_, code, record, answer.first(outputSize)).ok;
  }

  std::string lastViolation() const { return machine_.violations().empty() ? "" : machine_.violations().back(); }
  const TranscriptEvent& lastIo() const { return machine_.requests().back(); }

  Transcript transcript_;
  SimMachine machine_;
  HandleValue handle_ = HandleValue::Null;
};

TEST_F(SimSelfDriver, PortDriverAnswersCountsIdentityAndRevision) {
  open("UDSKIO");
  std::vector<Byte> answer(8, 0xEE);
  ASSERT_TRUE(port(0x0A, 0, 0, answer, 8));
  EXPECT_EQ(answer, (std::vector<Byte>{2, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(lastIo().name, "deviceCount");
  EXPECT_EQ(lastIo().reader, 0);
  EXPECT_EQ(lastIo().route, "SelfDriverPort");

  ASSERT_TRUE(port(0x0B, 0, 1u << 24, answer, 8));
  EXPECT_EQ(answer[0], 3) << "units overrides the letters";
  ASSERT_TRUE(port(0x0B, 0, 0, answer, 8));
  EXPECT_EQ(answer[0], 2) << "one unit per letter";
  EXPECT_EQ(lastIo().reader, 1);

  std::vector<Byte> identify(512);
  ASSERT_TRUE(port(0x1F, kSignature, 1u << 24 | 1, identify, 512));
  const IdentifyBlock expected = identifyBlock(machine_.reader(2).description);
  EXPECT_TRUE(std::equal(identify.begin(), identify.end(), expected.begin()));
  EXPECT_EQ(lastIo().name, "identifyA");
  EXPECT_EQ(lastIo().length, 512u);
  ASSERT_TRUE(port(0x01, kSignature, 1, identify, 512));
  EXPECT_EQ(lastIo().name, "identifyB");

  std::vector<Byte> revision(8);
  ASSERT_TRUE(port(0x1A, 0, 0, revision, 1));
  EXPECT_EQ(revision, (std::vector<Byte>{1, 2, 3, 4, 5, 6, 7, 8})) << "all eight bytes through the address";
  EXPECT_TRUE(machine_.violations().empty()) << lastViolation();
}

TEST_F(SimSelfDriver, PortRecordsThatDeviateAreRejectedByField) {
  open("UDSKIO");
  std::vector<Byte> area(512);
  std::vector<Byte> small(100);
  std::vector<Byte> notMarker(512);
  struct Row {
    const char* name;
    std::uint32_t command, parameter, address;
    Bytes data;
    std::size_t outputSize;
    std::optional<DataAddress> dataAddress;
    const char* violation;
  };
  const Row rows[] = {
      {"unknown command", 0x33, 0, 0, area, 8, {}, "SelfDriverPort request: unknown command 0x33"},
      {"identify without signature", 0x1F, 0, 1, area, 512, {},
       "SelfDriverPort identifyA: parameter 0x0, expected 0x4a55a30"},
      {"identify of unit 1", 0x1F, kSignature, 1u << 16 | 1, area, 512, {},
       "SelfDriverPort identifyA: address (logical unit) 0x1, expected 0x0"},
      {"identify of two blocks", 0x01, kSignature, 2, area, 512, {},
       "SelfDriverPort identifyB: address (block count) 0x2, expected 0x1"},
      {"identify output", 0x1F, kSignature, 1, area, 511, {},
       "SelfDriverPort identifyA: output size 511, expected 512"},
      {"revision output", 0x1A, 0, 0, area, 8, {}, "SelfDriverPort fwRevision: output size 8, expected 1"},
      {"device count of a device", 0x0A, 0, 1u << 24, area, 8, {},
       "SelfDriverPort deviceCount: address 0x1000000, expected 0x0"},
      {"unknown data address", 0x0B, 0, 0, area, 8, DataAddress{0x1234},
       "SelfDriverPort unitCount: data address 0x1234 names no buffer of 8 bytes"},
      {"identify into 100 bytes", 0x1F, kSignature, 1, small, 100, {},
       "SelfDriverPort identifyA: data address 0x400000 names no buffer of 512 bytes"},
      {"empty transfer", 0x16, 0, 0, area, 0, {},
       "SelfDriverPort sendIspData: parameter (data length) 0x0, expected 0x1 to 0xffff"},
      {"mode 2", 0x16, 512, 2, area, 0, {}, "SelfDriverPort sendIspData: address (mode) 0x2, expected 0x0 to 0x1"},
      {"block write of another block", 0x20, kSignature, 1, notMarker, 512, {},
       "SelfDriverPort blockWrite: data byte 0 0x0, expected 0xaa (the marker block)"},
  };
  for (const auto& row : rows) {
    const std::size_t before = machine_.requests().size();
    EXPECT_FALSE(port(row.command, row.parameter, row.address, row.data, row.outputSize, row.dataAddress))
        << row.name;
    EXPECT_EQ(lastViolation(), row.violation) << row.name;
    EXPECT_EQ(machine_.requests().size(), before) << row.name << ": nothing reached a device";
  }

  const auto record = portRecordBytes(0x0A, 0, 0, machine_.dataAddress(area));
  EXPECT_FALSE(machine_.deviceIoControl(handle_, 0x42, record, Bytes(area).first(8)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverPort request: control code 0x42, expected 0x41");
  EXPECT_FALSE(machine_.deviceIoControl(handle_, 0x41, ConstBytes(record).first(12), Bytes(area).first(8)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverPort request: input size 12, expected 16");
  EXPECT_EQ(machine_.reader(1).requestCounts.size(), 0u);
}

TEST_F(SimSelfDriver, PortDriverBuildsTheLoadersBlocksAndSendsExactlyTheLength) {
  open("UDSKIO");
  std::vector<Byte> answer(1);
  ASSERT_TRUE(port(0x14, 0, 1u << 24, answer, 1));
  ASSERT_TRUE(port(0x15, 0, 1u << 24, answer, 1));
  EXPECT_EQ(answer[0], 0x9C);
  EXPECT_EQ(lastIo().status, 0x9C);
  EXPECT_EQ(lastIo().cdb, "") << "the port record carries no block";

  std::vector<Byte> image(1000);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<Byte>(i * 7);
  ASSERT_TRUE(port(0x16, 1000, 1u << 24 | 0, image, 0));
  EXPECT_EQ(lastIo().length, 1000u);
  ASSERT_TRUE(port(0x15, 0, 1u << 24, answer, 1));
  EXPECT_EQ(answer[0], 0xA5);
  EXPECT_EQ(machine_.reader(2).loader.flash, image);
  EXPECT_TRUE(machine_.reader(1).loader.flash.empty());

  ASSERT_TRUE(port(0x16, 1000, 1u << 24 | 1, image, 0));
  ASSERT_TRUE(port(0x15, 0, 1u << 24, answer, 1));
  EXPECT_EQ(answer[0], 0x5A);
  EXPECT_TRUE(machine_.violations().empty()) << lastViolation();
}

TEST_F(SimSelfDriver, MarkerBlockSwitchesTheMemoryStickControllerWhichThenTakesStatusAndData) {
  machine_.reader(1).msLoader.flash = {9, 9};
  open("UDSKIO");
  std::vector<Byte> marker(512);
  marker[0] = 0xAA;
  marker[1] = 0x55;
  marker[2] = 0xBB;
  marker[3] = 0x66;
  std::vector<Byte> answer(1);
  std::vector<Byte> identify(512);

  ASSERT_TRUE(port(0x20, kSignature, 1, marker, 512));
  EXPECT_TRUE(machine_.reader(1).msLoader.inLoader());
  ASSERT_TRUE(port(0x15, 0, 0, answer, 1));
  EXPECT_EQ(answer[0], 0x9C);
  ASSERT_TRUE(port(0x1F, kSignature, 1, identify, 512));
  EXPECT_EQ(std::string(identify.begin() + 188, identify.begin() + 196), "evLr.1a0") << "the loader's, word-swapped";

  std::vector<Byte> msImage = {1, 2, 3};
  ASSERT_TRUE(port(0x16, 3, 1, msImage, 0));
  ASSERT_TRUE(port(0x15, 0, 0, answer, 1));
  EXPECT_EQ(answer[0], 0x33) << "a compare with the old flash";
  ASSERT_TRUE(port(0x16, 3, 0, msImage, 0));
  ASSERT_TRUE(port(0x15, 0, 0, answer, 1));
  EXPECT_EQ(answer[0], 0xA5);
  EXPECT_EQ(machine_.reader(1).msLoader.flash, msImage);
  ASSERT_TRUE(port(0x16, 3, 1, msImage, 0));
  ASSERT_TRUE(port(0x15, 0, 0, answer, 1));
  EXPECT_EQ(answer[0], 0xA5) << "a compare of equal data answers A5 as well";
  EXPECT_TRUE(machine_.reader(1).loader.flash.empty()) << "the main controller saw none of it";

  ASSERT_TRUE(port(0x20, kSignature, 1, marker, 512));
  ASSERT_TRUE(port(0x15, 0, 0, answer, 1));
  EXPECT_EQ(answer[0], 0x9C) << "the switch back is answered by the Memory Stick controller";
  ASSERT_TRUE(port(0x15, 0, 0, answer, 1));
  EXPECT_EQ(answer[0], 0x00) << "then the main controller answers again";
  EXPECT_EQ(machine_.reader(1).msLoader.switchCount(), 2);
  EXPECT_TRUE(machine_.violations().empty()) << lastViolation();
}

TEST_F(SimSelfDriver, InjectedFailuresAndMissingDevicesFailTheRequest) {
  machine_.reader(1).failures.failures = {{"identifyA", 1, FailureKind::Transport}};
  machine_.reader(2).failures.failures = {{"deviceCount", 2, FailureKind::ScsiStatus}};
  open("UDSKIO");
  std::vector<Byte> area(512);
  EXPECT_FALSE(port(0x1F, kSignature, 1, area, 512));
  EXPECT_FALSE(lastIo().ok);
  EXPECT_EQ(lastIo().reader, 1);
  EXPECT_TRUE(port(0x1F, kSignature, 1, area, 512));

  EXPECT_TRUE(port(0x0A, 0, 0, area, 8));
  EXPECT_FALSE(port(0x0A, 0, 0, area, 8)) << "any reader's plan fails the device count";
  EXPECT_TRUE(port(0x0A, 0, 0, area, 8));

  EXPECT_FALSE(port(0x0B, 0, 2u << 24, area, 8)) << "there is no third device";
  EXPECT_EQ(lastIo().reader, 0);
  EXPECT_TRUE(machine_.violations().empty()) << lastViolation();
}

TEST_F(SimSelfDriver, AnUnpluggedReaderIsNeitherCountedNorReached) {
  machine_.reader(1).failures.failures = {{"deviceCount", 2, FailureKind::Unplugged}};
  open("UDSKIO");
  std::vector<Byte> area(512);
  ASSERT_TRUE(port(0x0A, 0, 0, area, 8));
  EXPECT_EQ(area[0], 2);
  ASSERT_TRUE(port(0x0A, 0, 0, area, 8)) << "the driver's own request still answers";
  EXPECT_EQ(area[0], 1);
  EXPECT_FALSE(port(0x1F, kSignature, 1, area, 512));
  EXPECT_EQ(lastIo().reader, 1);
  EXPECT_TRUE(port(0x1F, kSignature, (1u << 24) | 1, area, 512)) << "the second reader stays";
  EXPECT_TRUE(machine_.violations().empty()) << lastViolation();
}

TEST_F(SimSelfDriver, DynamicDriverCarriesTheBlockAndCountsInShortRecords) {
  open("KV20DISK", true);
  std::vector<Byte> answer(8);
  const auto count = portRecordBytes(1, 0, 0, machine_.dataAddress(answer));
  ASSERT_TRUE(machine_.deviceIoControl(handle_, kDynamicCode, count, answer).ok);
  EXPECT_EQ(answer[0], 2);
  const auto units = portRecordBytes(2, 0, 1u << 24, machine_.dataAddress(answer));
  ASSERT_TRUE(machine_.deviceIoControl(handle_, kDynamicCode, units, answer).ok);
  EXPECT_EQ(answer[0], 3);

  std::vector<Byte> identify(528);
  ASSERT_TRUE(dynamic(1, kIdentifyBlock, 1, identify, 528));
  EXPECT_EQ(lastIo().name, "deviceIdentify");
  EXPECT_EQ(lastIo().cdb, "060500000000000080000000");
  const IdentifyBlock expected = identifyBlock(machine_.reader(2).description);
  EXPECT_TRUE(std::equal(identify.begin(), identify.end(), expected.begin()));

  std::vector<Byte> status(28);
  EXPECT_FALSE(dynamic(1, kJumpBlock08, 0, Bytes(status).first(0), 0));
  EXPECT_EQ(lastViolation(), "SelfDriverDynamic jumpToIsp: data address 0x0 names no buffer")
      << "the jump still names its answer area";
  const auto jump = dynamicRecordBytes(1, kJumpBlock08, 0, 0, machine_.dataAddress(status));
  ASSERT_TRUE(machine_.deviceIoControl(handle_, kDynamicCode, jump, Bytes(status).first(0)).ok);
  ASSERT_TRUE(dynamic(1, kStatusBlock, 1, status, 8));
  EXPECT_EQ(status[0], 0x9C);
  EXPECT_EQ(lastIo().length, 28u);
  EXPECT_EQ(machine_.reader(2).loader.jumpCount(), 1);
}

TEST_F(SimSelfDriver, DynamicRecordsThatDeviateAreRejectedByField) {
  open("KV20DISK", true);
  std::vector<Byte> area(1024);
  const CommandBlock jumpByte5Zero = {0x06, 0xBF, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0};
  const CommandBlock send1000 = sendIspDataBlock(IspDataMode::Program, 0, 1000, 1024);
  struct Row {
    const char* name;
    CommandBlock cdb;
    std::uint32_t direction;
    std::size_t dataLength;
    std::size_t outputSize;
    const char* violation;
  };
  const Row rows[] = {
      {"jump byte 5", jumpByte5Zero, 0, 0, 0, "SelfDriverDynamic jumpToIsp: command block byte 5 0x0, expected 0x8"},
      {"status output", kStatusBlock, 1, 28, 28, "SelfDriverDynamic getIspStatus: output size 28, expected 8"},
      {"status length", kStatusBlock, 1, 8, 8, "SelfDriverDynamic getIspStatus: data length 0x8, expected 0x1c"},
      {"unpadded data", send1000, 2, 1000, 1000, "SelfDriverDynamic sendIspData: data length 0x3e8, expected 0x400"},
      {"data direction", send1000, 1, 1024, 1024, "SelfDriverDynamic sendIspData: direction 0x1, expected 0x2"},
      {"unknown block", {0x12, 0, 0, 0, 36}, 1, 36, 36,
       "SelfDriverDynamic request: unknown command block 120000002400000000000000"},
  };
  for (const auto& row : rows) {
    EXPECT_FALSE(dynamic(0, row.cdb, row.direction, Bytes(area).first(row.dataLength), row.outputSize)) << row.name;
    EXPECT_EQ(lastViolation(), row.violation) << row.name;
  }
  auto record = dynamicRecordBytes(0, kStatusBlock, 1, 28, machine_.dataAddress(area));
  record[24] = 1;
  EXPECT_FALSE(machine_.deviceIoControl(handle_, kDynamicCode, record, Bytes(area).first(8)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverDynamic getIspStatus: byte 24 0x1, expected 0x0");
  EXPECT_FALSE(machine_.deviceIoControl(handle_, kDynamicCode, ConstBytes(record).first(20), Bytes(area).first(8)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverDynamic request: input size 20, expected 40");
  EXPECT_TRUE(machine_.requests("getIspStatus").empty());
}

class SimNtSelfDriver : public SimSelfDriver {
 protected:
  SimNtSelfDriver() : SimSelfDriver(true) {}
};

TEST_F(SimNtSelfDriver, NtDriverServesTheFirstReader) {
  open("UDSKIO");
  std::vector<Byte> answer(1);
  ASSERT_TRUE(nt(0x222004, {}, 0, answer, 1));
  ASSERT_TRUE(nt(0x222008, {}, 0, answer, 1));
  EXPECT_EQ(answer[0], 0x9C);
  EXPECT_EQ(lastIo().route, "SelfDriverNt");
  EXPECT_EQ(lastIo().reader, 1);

  const std::vector<Byte> image(1000, 0x42);
  std::vector<Byte> scratch(4);
  ASSERT_TRUE(nt(0x22200C, image, 0, scratch, 0));
  EXPECT_EQ(lastIo().length, 1000u);
  ASSERT_TRUE(nt(0x222008, {}, 0, answer, 1));
  EXPECT_EQ(answer[0], 0xA5);
  EXPECT_EQ(machine_.reader(1).loader.flash, image);
  EXPECT_TRUE(machine_.violations().empty()) << lastViolation();
}

TEST_F(SimNtSelfDriver, NtRecordsThatDeviateAreRejectedByField) {
  open("UDSKIO");
  std::vector<Byte> answer(4);
  auto record = ntRecordBytes(0x222004, 0, 0, machine_.dataAddress(answer));
  EXPECT_FALSE(machine_.deviceIoControl(handle_, 0x222008, record, Bytes(answer).first(1)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverNt getIspStatus: control code field 0x222004, expected 0x222008");

  record = ntRecordBytes(0x22200C, 1000, 0, machine_.dataAddress(answer), std::vector<Byte>(1001, 1));
  EXPECT_FALSE(machine_.deviceIoControl(handle_, 0x22200C, record, Bytes(answer).first(0)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverNt sendIspData: data byte 1000 0x1, expected 0x0 (after the image)");

  record = ntRecordBytes(0x22200C, 10, 0, machine_.dataAddress(answer));
  EXPECT_FALSE(machine_.deviceIoControl(handle_, 0x22200C, record, Bytes(answer).first(4)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverNt sendIspData: output size 4, expected 0");

  EXPECT_FALSE(machine_.deviceIoControl(handle_, 0x222010, record, Bytes(answer).first(0)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverNt request: control code 0x222010, expected 0x222004, 0x222008 or 0x22200c");
  EXPECT_FALSE(machine_.deviceIoControl(handle_, 0x22200C, ConstBytes(record).first(16), Bytes(answer).first(0)).ok);
  EXPECT_EQ(lastViolation(), "SelfDriverNt sendIspData: input size 16, expected 65552");
  EXPECT_TRUE(machine_.requests("sendIspData").empty());
}

}  // namespace
}  // namespace updater
