#include "bot_session.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/reader_identity.h"

namespace updater {
namespace {

using namespace bulk_only;

std::vector<Byte> wrapper(std::initializer_list<Byte> block, Byte blockLength, std::uint32_t length, bool in) {
  std::vector<Byte> bytes(kCbwSize, 0);
  putU32(bytes, kCbwSignatureAt, kCbwSignature);
  putU32(bytes, kCbwTagAt, 5);
  putU32(bytes, kCbwDataLengthAt, length);
  putU8(bytes, kCbwFlagsAt, in ? kFlagDataIn : 0);
  putU8(bytes, kCbwBlockLengthAt, blockLength);
  std::size_t at = kCbwBlockAt;
  for (const Byte b : block) putU8(bytes, at++, b);
  return bytes;
}

ReaderDescription description(std::vector<InjectedFailure> failures = {}) {
  ReaderDescription reader;
  reader.letters = "E";
  reader.serial = "000000000001";
  reader.failures = std::move(failures);
  return reader;
}

Byte status(const BotActions& actions) { return getU8(*actions.csw, kCswStatusAt); }
std::uint32_t residue(const BotActions& actions) { return getU32(*actions.csw, kCswResidueAt); }

TEST(BotSession, VendorIdentifyAnswersTheReadersIdentifyBlock) {
  SimReader reader(1, description());
  BotSession session(reader, 1, 0);
  const BotActions actions = session.commandReceived(wrapper({0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80}, 12, 528, true));
  ASSERT_TRUE(actions.csw);
  EXPECT_EQ(status(actions), 0);
  EXPECT_EQ(residue(actions), 0u);
  EXPECT_FALSE(actions.haltIn);
  EXPECT_EQ(actions.dataIn, std::vector<Byte>(reader.identify.begin(), reader.identify.end()));
  EXPECT_EQ(reader.requestCount("deviceIdentify"), 1);
}

TEST(BotSession, GetIspStatusReadsTheLoader) {
  SimReader reader(1, description());
  BotSession session(reader, 1, 0);
  const BotActions actions = session.commandReceived(wrapper({0x06, 0xB0, 0, 0, 0x08}, 12, 8, true));
  ASSERT_TRUE(actions.csw);
  EXPECT_EQ(status(actions), 0);
  EXPECT_EQ(actions.dataIn.size(), 8u);
  EXPECT_EQ(reader.requestCount("getIspStatus"), 1);
}

TEST(BotSession, InjectedFailuresReachTheHost) {
  struct Row {
    FailureKind kind;
    Byte status;
    Byte senseKey;
    bool unplug;
  } const rows[] = {
      {FailureKind::Transport, 2, 0, false},
      {FailureKind::ScsiStatus, 1, 4, false},
      {FailureKind::Unplugged, 2, 0, true},
  };
  for (const Row& row : rows) {
    SimReader reader(1, description({{"getIspStatus", 1, row.kind}}));
    BotSession session(reader, 1, 0);
    const BotActions actions = session.commandReceived(wrapper({0x06, 0xB0, 0, 0, 0x08}, 12, 8, true));
    ASSERT_TRUE(actions.csw);
    EXPECT_EQ(status(actions), row.status);
    EXPECT_TRUE(actions.haltIn);
    EXPECT_TRUE(actions.dataIn.empty());
    EXPECT_EQ(residue(actions), 8u);
    EXPECT_EQ(actions.unplug, row.unplug);
    EXPECT_EQ(session.lastSense().key, row.senseKey);
  }
}

TEST(BotSession, KernelCommandsAreAnsweredByTheVirtualReader) {
  struct Row {
    const char* name;
    std::vector<Byte> wrapperBytes;
    Byte status;
    std::size_t dataBytes;
    std::uint32_t residue;
  } const rows[] = {
      {"test unit ready", wrapper({0x00}, 6, 0, false), 0, 0, 0},
      {"inquiry 36", wrapper({0x12, 0, 0, 0, 36}, 6, 36, true), 0, 36, 0},
      {"inquiry 96", wrapper({0x12, 0, 0, 0, 96}, 6, 96, true), 0, 96, 0},
      {"inquiry vpd", wrapper({0x12, 1, 0x80, 0, 96}, 6, 96, true), 1, 0, 96},
      {"read capacity", wrapper({0x25}, 10, 8, true), 0, 8, 0},
      {"mode sense 6", wrapper({0x1A, 0, 0x3F, 0, 192}, 6, 192, true), 0, 4, 188},
      {"mode sense 10", wrapper({0x5A, 0, 0x3F, 0, 0, 0, 0, 0, 8}, 10, 8, true), 0, 8, 0},
      {"read 10", wrapper({0x28, 0, 0, 0, 0, 0, 0, 0, 2}, 10, 1024, true), 0, 1024, 0},
      {"read past end", wrapper({0x28, 0, 0, 0, 0x08, 0, 0, 0, 1}, 10, 512, true), 1, 0, 512},
      {"prevent allow", wrapper({0x1E, 0, 0, 0, 1}, 6, 0, false), 0, 0, 0},
      {"report luns", wrapper({0xA0}, 12, 16, true), 1, 0, 16},
  };
  for (const Row& row : rows) {
    SimReader reader(1, description());
    BotSession session(reader, 1, 0);
    const BotActions actions = session.commandReceived(row.wrapperBytes);
    ASSERT_TRUE(actions.csw) << row.name;
    EXPECT_EQ(status(actions), row.status) << row.name;
    EXPECT_EQ(actions.dataIn.size(), row.dataBytes) << row.name;
    EXPECT_EQ(residue(actions), row.residue) << row.name;
    EXPECT_EQ(actions.haltIn, row.residue > 0) << row.name;
  }
}

TEST(BotSession, RequestSenseReportsTheLastFailure) {
  SimReader reader(1, description());
  BotSession session(reader, 1, 0);
  session.commandReceived(wrapper({0xA0}, 12, 16, true));
  const BotActions actions = session.commandReceived(wrapper({0x03, 0, 0, 0, 18}, 6, 18, true));
  ASSERT_EQ(actions.dataIn.size(), 18u);
  EXPECT_EQ(actions.dataIn[2], 0x05);
  EXPECT_EQ(actions.dataIn[12], 0x20);
}

TEST(BotSession, WriteReadsItsDataThenReportsGood) {
  SimReader reader(1, description());
  BotSession session(reader, 1, 0);
  const BotActions first = session.commandReceived(wrapper({0x2A, 0, 0, 0, 0, 0, 0, 0, 1}, 10, 512, false));
  EXPECT_EQ(first.dataOutLength, 512u);
  EXPECT_FALSE(first.csw);
  const BotActions last = session.dataOutReceived(std::vector<Byte>(512, 0xAA));
  ASSERT_TRUE(last.csw);
  EXPECT_EQ(status(last), 0);
}

TEST(BotSession, AnInvalidWrapperHaltsBothEndpoints) {
  SimReader reader(1, description());
  BotSession session(reader, 1, 0);
  const BotActions actions = session.commandReceived(std::vector<Byte>(kCbwSize, 0));
  EXPECT_TRUE(actions.haltIn);
  EXPECT_TRUE(actions.haltOut);
  EXPECT_FALSE(actions.csw);
}

}  // namespace
}  // namespace updater
