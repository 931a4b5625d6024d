#include "platform/sim/sim_loader.h"

#include <array>
#include <vector>

#include <gtest/gtest.h>

namespace updater {
namespace {

Byte readStatus(SimLoader& loader) {
  std::array<Byte, 8> answer{};
  loader.execute(getIspStatusBlock(), {}, 8, answer);
  return answer[0];
}

Byte transfer(SimLoader& loader, IspDataMode mode, const std::vector<Byte>& data, std::uint32_t length) {
  loader.execute(sendIspDataBlock(mode, 0, length, paddedLength(length)), data, paddedLength(length), {});
  return readStatus(loader);
}

TEST(SimLoader, HonestLoaderProgramsThenCompares) {
  SimLoader loader;
  const std::vector<Byte> image = {1, 2, 3, 4, 5};
  loader.execute(jumpToIspBlock(0), {}, 0, {});
  EXPECT_EQ(readStatus(loader), 0x9C);
  EXPECT_EQ(transfer(loader, IspDataMode::Program, image, 5), 0xA5);
  EXPECT_EQ(loader.flash, image);
  EXPECT_EQ(transfer(loader, IspDataMode::Verify, image, 5), 0x5A);
  EXPECT_EQ(transfer(loader, IspDataMode::Verify, {1, 2, 9, 4, 5}, 5), 0x33);
}

TEST(SimLoader, CompareLeavesSkippedRangesOut) {
  SimLoader loader;
  loader.flash = {1, 2, 3, 4, 5};
  loader.compareSkips = {{1, 2}};
  loader.execute(jumpToIspBlock(0), {}, 0, {});
  EXPECT_EQ(transfer(loader, IspDataMode::Verify, {1, 7, 7, 4, 5}, 5), 0x5A);
  EXPECT_EQ(transfer(loader, IspDataMode::Verify, {1, 7, 7, 7, 5}, 5), 0x33);
}

TEST(SimLoader, MalformedOrEarlyTransfersAreRejected) {
  SimLoader loader;
  const std::vector<Byte> image(600, 0xAB);
  EXPECT_EQ(transfer(loader, IspDataMode::Program, image, 600), kLoaderRejected) << "before the jump";

  loader.execute(jumpToIspBlock(0), {}, 0, {});
  CommandBlock wrongMode = sendIspDataBlock(IspDataMode::Program, 0, 600, 1024);
  wrongMode[2] = 1;
  loader.execute(wrongMode, image, 1024, {});
  EXPECT_EQ(readStatus(loader), kLoaderRejected) << "opcode and mode disagree";

  CommandBlock wrongBlocks = sendIspDataBlock(IspDataMode::Program, 0, 600, 512);
  loader.execute(wrongBlocks, image, 1024, {});
  EXPECT_EQ(readStatus(loader), kLoaderRejected) << "block count disagrees with length";

  loader.execute(sendIspDataBlock(IspDataMode::Program, 0, 600, 1024), image, 512, {});
  EXPECT_EQ(readStatus(loader), kLoaderRejected) << "data phase shorter than length";
  EXPECT_TRUE(loader.flash.empty());
}

TEST(SimLoader, ScriptedAnswersFollowTheCommandCountAndRepeatTheLast) {
  SimLoader loader;
  loader.script.verify = {0x33, 0x5A};
  const std::vector<Byte> image = {9, 9};
  loader.execute(jumpToIspBlock(0), {}, 0, {});
  EXPECT_EQ(readStatus(loader), 0x9C) << "jump is left to the honest loader";
  EXPECT_EQ(transfer(loader, IspDataMode::Program, image, 2), 0xA5);
  EXPECT_EQ(transfer(loader, IspDataMode::Verify, image, 2), 0x33);
  EXPECT_EQ(transfer(loader, IspDataMode::Verify, image, 2), 0x5A);
  EXPECT_EQ(transfer(loader, IspDataMode::Verify, {0, 0}, 2), 0x5A) << "last value repeats";
  EXPECT_EQ(loader.verifyCount(), 3);
}

}  // namespace
}  // namespace updater
