#include "cli/serial_file_guard.h"

#include <gtest/gtest.h>

#include "app/program.h"
#include "jobs/serial_lock.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr std::string_view kNoted = "12 34 5\n";
// What a run that advanced the counter from 5 saved.
constexpr std::string_view kRunSaved = "0x12 0x34 0x6 ";
constexpr SerialCounter kRunCounter{0x12, 0x34, 6};

class SerialFileGuardTest : public ::testing::Test {
 protected:
  SerialFileGuardTest() {
    run.program->workingDirectory = folder.path();
    run.program->serialCounter = kRunCounter;
    other.program->workingDirectory = folder.path();
  }

  TemporaryDirectory folder;
  ProgramHarness run;
  ProgramHarness other;  // another program sharing the folder
};

TEST_F(SerialFileGuardTest, PutsBackWhatTheRunWrote) {
  folder.writeFile(kSerialFileName, kNoted);
  const SerialFileGuard guard(folder.path());
  folder.writeFile(kSerialFileName, kRunSaved);
  EXPECT_TRUE(guard.restore(run.machine, run.program->serialCounter));
  EXPECT_EQ(folder.readFile(kSerialFileName), kNoted);
  EXPECT_EQ(run.machine.heldFileLockCount(), 0u);
}

TEST_F(SerialFileGuardTest, RemovesAFileTheRunCreated) {
  const SerialFileGuard guard(folder.path());
  folder.writeFile(kSerialFileName, kRunSaved);
  EXPECT_TRUE(guard.restore(run.machine, run.program->serialCounter));
  EXPECT_FALSE(folder.exists(kSerialFileName));
}

TEST_F(SerialFileGuardTest, LeavesACounterAnotherProgramAdvancedMeanwhile) {
  folder.writeFile(kSerialFileName, kNoted);
  const SerialFileGuard guard(folder.path());
  folder.writeFile(kSerialFileName, "0x12 0x34 0x7 ");
  EXPECT_FALSE(guard.restore(run.machine, run.program->serialCounter)) << "not put back as it was";
  EXPECT_EQ(folder.readFile(kSerialFileName), "0x12 0x34 0x7 ") << "the other program's numbers stay used";
}

TEST_F(SerialFileGuardTest, WritesNothingWhileAnotherProgramHoldsTheCounter) {
  folder.writeFile(kSerialFileName, kNoted);
  const SerialFileGuard guard(folder.path());
  folder.writeFile(kSerialFileName, kRunSaved);
  {
    const SerialLock held = lockSerialFile(other.machine, other.program->workingDirectory);
    ASSERT_EQ(held.result, SerialLockResult::Ok);
    EXPECT_FALSE(guard.restore(run.machine, run.program->serialCounter));
    EXPECT_EQ(folder.readFile(kSerialFileName), kRunSaved);
  }
  EXPECT_TRUE(guard.restore(run.machine, run.program->serialCounter)) << "once the other program is done";
  EXPECT_EQ(folder.readFile(kSerialFileName), kNoted);
}

TEST_F(SerialFileGuardTest, UnchangedFileNeedsNoLock) {
  folder.writeFile(kSerialFileName, kNoted);
  const SerialFileGuard guard(folder.path());
  const SerialLock held = lockSerialFile(other.machine, other.program->workingDirectory);
  ASSERT_EQ(held.result, SerialLockResult::Ok);
  EXPECT_TRUE(guard.restore(run.machine, run.program->serialCounter));
  EXPECT_EQ(folder.readFile(kSerialFileName), kNoted);
}

}  // namespace
}  // namespace updater
