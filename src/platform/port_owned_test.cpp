#include "platform/port_owned.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/sim_machine.h"

namespace updater {
namespace {

constexpr std::uint32_t kAccess = kGenericRead | kGenericWrite;
constexpr std::uint32_t kShare = kFileShareRead | kFileShareWrite;

TEST(PortOwned, EarlyReturnsCloseWhatWasOpened) {
  Transcript transcript;
  SimMachine machine(transcript);
  const auto useDrive = [&machine](bool leaveEarly) {
    UniqueHandle drive = openOwned(machine, "\\\\.\\C:", kAccess, kShare, kOpenExisting, 0);
    if (leaveEarly) return false;
    return drive.isOpen();
  };
  EXPECT_FALSE(useDrive(true));
  EXPECT_TRUE(useDrive(false));
  EXPECT_EQ(machine.openHandleCount(), 0u);
  EXPECT_EQ(machine.requests("close").size(), 2u);
  EXPECT_TRUE(machine.violations().empty());
}

TEST(PortOwned, MovesHandOverAndNothingIsClosedTwice) {
  Transcript transcript;
  SimMachine machine(transcript);
  std::vector<UniqueHandle> handles;
  // NOLINTNEXTLINE(performance-inefficient-vector-operation): growing moves the handles, which this checks
  for (int i = 0; i < 3; ++i) handles.push_back(openOwned(machine, "\\\\.\\C:", kAccess, kShare, kOpenExisting, 0));
  EXPECT_EQ(machine.openHandleCount(), 3u);
  UniqueHandle last = std::move(handles.back());
  handles.pop_back();
  EXPECT_EQ(machine.openHandleCount(), 3u);
  EXPECT_TRUE(last.isOpen());
  handles.clear();
  EXPECT_EQ(machine.openHandleCount(), 1u);
  last.reset();
  last.reset();
  EXPECT_EQ(machine.openHandleCount(), 0u);
  EXPECT_TRUE(machine.violations().empty());
}

}  // namespace
}  // namespace updater
