#include "virtual_reader/bulk_only_target.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/reader_identity.h"

namespace updater {
namespace {

using bulk_only::CommandStatus;

constexpr std::uint32_t kTestTag = 0x11223344;

ReaderDescription twoUnitReader() {
  ReaderDescription reader;
  reader.letters = "EF";
  reader.inquiry = {"Generic", "USB Card Reader", "1.00"};
  reader.vendorId = 0x1234;
  reader.serial = "000000000042";
  return reader;
}

std::vector<Byte> commandWrapper(std::uint32_t hostLength, bool hostIn, std::vector<Byte> block, Byte lun = 0) {
  std::vector<Byte> packet(bulk_only::kCommandWrapperSize, 0);
  using namespace bulk_only::command_offset;
  putU32(packet, kSignature, bulk_only::kCommandSignature);
  putU32(packet, kTag, kTestTag);
  putU32(packet, kDataTransferLength, hostLength);
  putU8(packet, kFlags, hostIn ? 0x80 : 0x00);
  putU8(packet, kLun, lun);
  putU8(packet, kBlockLength, static_cast<Byte>(block.size()));
  std::copy(block.begin(), block.end(), packet.begin() + kBlock);
  return packet;
}

std::vector<Byte> blockOf(const CommandBlock& block) { return {block.begin(), block.end()}; }

CommandStatus statusOf(const BulkStep& step) {
  return static_cast<CommandStatus>((*step.status)[bulk_only::status_offset::kStatus]);
}

std::uint32_t residueOf(const BulkStep& step) { return getU32(*step.status, bulk_only::status_offset::kDataResidue); }

class BulkOnlyTargetTest : public ::testing::Test {
 protected:
  explicit BulkOnlyTargetTest(TargetSettings settings = {}) : reader_(1, twoUnitReader()), target_(reader_, settings) {}

  /// A whole command: its wrapper, then its data-out when the step asks.
  BulkStep command(std::uint32_t hostLength, bool hostIn, std::vector<Byte> block, std::vector<Byte> dataOut = {}) {
    BulkStep step = target_.commandReceived(commandWrapper(hostLength, hostIn, std::move(block)));
    if (step.receive > 0) {
      dataOut.resize(step.receive, 0);
      step = target_.dataReceived(dataOut);
    }
    return step;
  }

  Sense senseOfUnit0() {
    const BulkStep step = command(18, true, {0x03, 0, 0, 0, 18});
    return {step.send.at(2), step.send.at(12), step.send.at(13)};
  }

  SimReader reader_;
  BulkOnlyTarget target_;
};

// The host's expectation against the reader's intent, one row per case of
// the transport, with the standard commands of a disk unit.
TEST_F(BulkOnlyTargetTest, EachCaseOfHostAndDeviceEndsAsTheTransportSays) {
  struct Row {
    const char* name;
    std::uint32_t hostLength;
    bool hostIn;
    std::vector<Byte> block;
    std::size_t sent;
    bool haltIn;
    CommandStatus status;
    std::uint32_t residue;
  };
  const Row rows[] = {
      {"Hn=Dn test unit ready", 0, false, {0x00, 0, 0, 0, 0, 0}, 0, false, CommandStatus::Passed, 0},
      {"Hi=Di inquiry", 36, true, {0x12, 0, 0, 0, 36, 0}, 36, false, CommandStatus::Passed, 0},
      {"Hi=Di read capacity", 8, true, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8, false, CommandStatus::Passed, 0},
      {"Hi=Di read(10)", 1024, true, {0x28, 0, 0, 0, 0, 5, 0, 0, 2, 0}, 1024, false, CommandStatus::Passed, 0},
      {"Hi>Di mode sense(6)", 192, true, {0x1A, 0, 0x3F, 0, 192, 0}, 24, true, CommandStatus::Passed, 168},
      {"Hi>Di mode sense(10)", 192, true, {0x5A, 0, 0x08, 0, 0, 0, 0, 0, 192, 0}, 28, true, CommandStatus::Passed, 164},
      {"Hi>Dn unknown opcode", 64, true, {0xA0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, true, CommandStatus::Failed, 64},
      {"Hn=Dn unknown opcode", 0, false, {0xA0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, false, CommandStatus::Failed, 0},
      {"Hi>Dn read beyond the medium", 512, true, {0x28, 0, 0, 0, 0x08, 0, 0, 0, 1, 0}, 0, true,
       CommandStatus::Failed, 512},
      {"Hi<Di inquiry", 20, true, {0x12, 0, 0, 0, 36, 0}, 20, false, CommandStatus::PhaseError, 0},
      {"Hn<Di read capacity", 0, false, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, false, CommandStatus::PhaseError, 0},
      {"Hi<>Do write(10)", 512, true, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0, true, CommandStatus::PhaseError, 512},
      {"Hn<Do write(10)", 0, false, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0, false, CommandStatus::PhaseError, 0},
      {"Ho>Dn prevent removal", 100, false, {0x1E, 0, 0, 0, 1, 0}, 0, false, CommandStatus::Passed, 100},
      {"Ho=Do write(10)", 512, false, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0, false, CommandStatus::Passed, 0},
      {"Ho>Do write(10)", 1024, false, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, 0, false, CommandStatus::Passed, 512},
      {"Ho<Do write(10)", 512, false, {0x2A, 0, 0, 0, 0, 0, 0, 0, 2, 0}, 0, false, CommandStatus::PhaseError, 512},
      {"Ho<>Di inquiry", 36, false, {0x12, 0, 0, 0, 36, 0}, 0, false, CommandStatus::PhaseError, 36},
  };
  for (const Row& row : rows) {
    const BulkStep step = command(row.hostLength, row.hostIn, row.block);
    ASSERT_TRUE(step.status) << row.name;
    EXPECT_EQ(step.send.size(), row.sent) << row.name;
    EXPECT_EQ(step.haltIn, row.haltIn) << row.name;
    EXPECT_FALSE(step.haltOut) << row.name;
    EXPECT_EQ(statusOf(step), row.status) << row.name;
    EXPECT_EQ(residueOf(step), row.residue) << row.name;
    EXPECT_EQ(getU32(*step.status, bulk_only::status_offset::kTag), kTestTag) << row.name;
    EXPECT_EQ(getU32(*step.status, bulk_only::status_offset::kSignature), bulk_only::kStatusSignature) << row.name;
  }
}

TEST_F(BulkOnlyTargetTest, TheUnitsAnswerAsADiskOfZerosThatKeepsWhatIsWritten) {
  const BulkStep inquiry = command(36, true, {0x12, 0, 0, 0, 36, 0});
  const auto answer = inquiryAnswer(reader_.description.inquiry, true);
  EXPECT_EQ(inquiry.send, std::vector<Byte>(answer.begin(), answer.end()));

  EXPECT_EQ(command(8, true, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}).send,
            (std::vector<Byte>{0x00, 0x00, 0x07, 0xFF, 0x00, 0x00, 0x02, 0x00}))
      << "2048 blocks of 512 bytes";
  EXPECT_EQ(command(512, true, {0x28, 0, 0, 0, 0, 9, 0, 0, 1, 0}).send, std::vector<Byte>(512, 0));

  command(512, false, {0x2A, 0, 0, 0, 0, 9, 0, 0, 1, 0}, std::vector<Byte>(512, 0x5A));
  EXPECT_EQ(command(512, true, {0x28, 0, 0, 0, 0, 9, 0, 0, 1, 0}).send, std::vector<Byte>(512, 0x5A));
  EXPECT_EQ(target_.unit(1).medium(), std::vector<Byte>(2048 * 512, 0)) << "the other unit keeps its own medium";
}

TEST_F(BulkOnlyTargetTest, AFailedCommandLeavesItsSenseForRequestSense) {
  command(0, false, {0xA0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(senseOfUnit0(), sense::kInvalidOperationCode);
  EXPECT_EQ(senseOfUnit0(), sense::kNone) << "read once";

  command(512, true, {0x28, 0, 0, 0, 0x08, 0, 0, 0, 1, 0});
  EXPECT_EQ(senseOfUnit0(), sense::kLbaOutOfRange);

  command(36, true, {0x12, 0x01, 0x80, 0, 36, 0});
  EXPECT_EQ(senseOfUnit0(), sense::kInvalidFieldInCdb) << "no vital product data pages";

  command(0, false, {0xA0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  command(0, false, {0x00, 0, 0, 0, 0, 0});
  EXPECT_EQ(senseOfUnit0(), sense::kNone) << "the next command replaced it";
}

TEST_F(BulkOnlyTargetTest, AWrapperThatIsNotValidStallsBothEndpointsUntilReset) {
  std::vector<Byte> badSignature = commandWrapper(0, false, {0x00, 0, 0, 0, 0, 0});
  badSignature[0] = 0;
  std::vector<Byte> shortWrapper = commandWrapper(0, false, {0x00, 0, 0, 0, 0, 0});
  shortWrapper.pop_back();
  const std::vector<Byte> rows[] = {
      badSignature,
      shortWrapper,
      commandWrapper(0, false, {0x00, 0, 0, 0, 0, 0}, 2),  // the reader has units 0 and 1
      commandWrapper(0, false, {}),                         // no block
  };
  for (const auto& packet : rows) {
    const BulkStep refused = target_.commandReceived(packet);
    EXPECT_TRUE(refused.haltIn && refused.haltOut);
    EXPECT_FALSE(refused.status);
    const BulkStep stillRefused = target_.commandReceived(commandWrapper(0, false, {0x00, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(stillRefused.haltIn && stillRefused.haltOut && !stillRefused.status) << "until the host resets";
    target_.reset();
    EXPECT_EQ(statusOf(command(0, false, {0x00, 0, 0, 0, 0, 0})), CommandStatus::Passed);
  }
  EXPECT_EQ(target_.maxLun(), 1);
}

// The program's ISP exchange on the bus: the simulated reader's loader
// answers it and keeps the flash, as through the pass-through request.
TEST_F(BulkOnlyTargetTest, TheReadersOwnCommandsAreAnsweredByTheSimulatedReader) {
  const BulkStep identify = command(528, true, blockOf({0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}));
  EXPECT_EQ(identify.send, std::vector<Byte>(reader_.identify.begin(), reader_.identify.end()));

  const std::vector<Byte> image(1000, 0x33);
  EXPECT_EQ(statusOf(command(0, false, blockOf(jumpToIspBlock(0)))), CommandStatus::Passed);
  const BulkStep program = command(1024, false, blockOf(sendIspDataBlock(IspDataMode::Program, 0, 1000, 1024)), image);
  EXPECT_EQ(statusOf(program), CommandStatus::Passed);
  EXPECT_EQ(residueOf(program), 0u);
  const BulkStep status = command(8, true, blockOf(getIspStatusBlock()));
  ASSERT_EQ(status.send.size(), 8u);
  EXPECT_EQ(status.send[0], IspWriteOk);
  EXPECT_EQ(reader_.loader.flash, image);
  EXPECT_EQ(reader_.requestCount("sendIspData"), 1);
  EXPECT_EQ(target_.dataOutCommands(), 1);
}

TEST_F(BulkOnlyTargetTest, InjectedFailuresReachTheBusAsTransportFailureOrCheckCondition) {
  reader_.failures.failures = {{"getIspStatus", 1, FailureKind::Transport}, {"jumpToIsp", 1, FailureKind::ScsiStatus}};

  const BulkStep jump = command(0, false, blockOf(jumpToIspBlock(0)));
  EXPECT_EQ(statusOf(jump), CommandStatus::Failed);
  EXPECT_EQ(senseOfUnit0(), sense::kVendorCommandAborted);
  EXPECT_FALSE(reader_.loader.inLoader()) << "the failed jump never reached the loader";

  const BulkStep status = command(8, true, blockOf(getIspStatusBlock()));
  EXPECT_TRUE(status.send.empty());
  EXPECT_TRUE(status.haltIn);
  EXPECT_EQ(statusOf(status), CommandStatus::PhaseError) << "the host resets the reader";
  EXPECT_EQ(reader_.loader.statusReadCount(), 0);

  EXPECT_EQ(command(8, true, blockOf(getIspStatusBlock())).send.size(), 8u) << "the second read is answered";
}

class UnplugAfterTransferTest : public BulkOnlyTargetTest {
 protected:
  UnplugAfterTransferTest() : BulkOnlyTargetTest(TargetSettings{kDefaultUnitBlocks, 1}) {}
};

TEST_F(UnplugAfterTransferTest, TheReaderLeavesOnceTheTransfersDataHasComeWithoutCarryingItOut) {
  reader_.loader.flash = {1, 2, 3};
  command(0, false, blockOf(jumpToIspBlock(0)));
  const BulkStep step =
      command(1024, false, blockOf(sendIspDataBlock(IspDataMode::Program, 0, 1000, 1024)), std::vector<Byte>(1000, 7));
  EXPECT_TRUE(step.unplug);
  EXPECT_FALSE(step.status);
  EXPECT_EQ(reader_.loader.flash, (std::vector<Byte>{1, 2, 3}));
  EXPECT_EQ(reader_.requestCount("sendIspData"), 0);
}

}  // namespace
}  // namespace updater
