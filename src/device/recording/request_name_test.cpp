#include "device/recording/request_name.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/sim/machine_description.h"
#include "platform/sim/sim_pass_through.h"

namespace updater {
namespace {

// Every block the program sends over a drive letter, and a few it never
// sends. The simulated drive's own command table must name each one the
// same, since a replay compares the recorded name with the one it gives.
TEST(PassThroughRequestName, NamesEachBlockAsTheSimulatedDriveDoes) {
  const struct {
    CommandBlock cdb;
    std::optional<std::string_view> name;
  } kRows[] = {
      {{0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0}, "inquiry"},
      {{0xFF, 0x13, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0}, "driverIdentify13"},
      {{0xFF, 0x03, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0}, "driverIdentify03"},
      {{0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, "deviceIdentify"},
      {jumpToIspBlock(0x00), "jumpToIsp"},
      {getIspStatusBlock(), "getIspStatus"},
      {sendIspDataBlock(IspDataMode::Program, 0, 0x200, 0x200), "sendIspData"},
      {sendIspDataBlock(IspDataMode::Verify, 0, 0x1234, paddedLength(0x1234)), "sendIspData"},
      {{0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, std::nullopt},
      {{0xFF, 0x07, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0}, std::nullopt},
      {{0x06, 0xB5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
  };
  for (const auto& row : kRows) {
    const std::optional<std::string_view> name = passThroughRequestName(row.cdb);
    EXPECT_EQ(name, row.name) << hexDigits(row.cdb);
    if (!row.name) continue;
    EXPECT_NE(std::find(kRequestNames.begin(), kRequestNames.end(), *row.name), kRequestNames.end()) << *row.name;
    std::array<Byte, 16> field{};
    std::copy(row.cdb.begin(), row.cdb.end(), field.begin());
    const PassThroughCheck check = checkCommandBlock(field);
    ASSERT_TRUE(check.request.has_value()) << check.violation;
    EXPECT_EQ(requestName(*check.request), *row.name);
  }
}

}  // namespace
}  // namespace updater
