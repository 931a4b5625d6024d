#include "jobs/serial_lock.h"

#include <gtest/gtest.h>

#include "app/program.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

// Two programs, each on its own simulated machine, working in one folder.
class SerialLockTest : public ::testing::Test {
 protected:
  SerialLockTest() {
    first.program->workingDirectory = folder.path();
    second.program->workingDirectory = folder.path();
  }

  TemporaryDirectory folder;
  ProgramHarness first;
  ProgramHarness second;
};

TEST_F(SerialLockTest, OneProgramAtATimeHoldsTheCounter) {
  folder.writeFile(kSerialFileName, "12 34 5\n");
  {
    const SerialLock held = lockSerialFile(first.machine, first.program->workingDirectory);
    ASSERT_EQ(held.result, SerialLockResult::Ok);
    EXPECT_TRUE(held.lock.isOpen());
    EXPECT_EQ(serialLockMessage(held.result), "");

    const SerialLock refused = lockSerialFile(second.machine, second.program->workingDirectory);
    EXPECT_EQ(refused.result, SerialLockResult::InUse);
    EXPECT_FALSE(refused.lock.isOpen());
    EXPECT_EQ(serialLockMessage(refused.result), "Error!!! SERIAL.TXT is in use by another program");
  }
  EXPECT_EQ(first.machine.heldFileLockCount(), 0u);
  const SerialLock after = lockSerialFile(second.machine, second.program->workingDirectory);
  EXPECT_EQ(after.result, SerialLockResult::Ok) << "released with its owner";

  EXPECT_EQ(folder.readFile(kSerialFileName), "12 34 5\n") << "locking touches no counter";
  EXPECT_TRUE(folder.exists(kSerialLockFileName));
  EXPECT_EQ(folder.readFile(kSerialLockFileName), "");
}

TEST_F(SerialLockTest, LockOutlastsTheReplacementOfSerialTxtBySave) {
  folder.writeFile(kSerialFileName, "12 34 5\n");
  const SerialLock held = lockSerialFile(first.machine, first.program->workingDirectory);
  ASSERT_EQ(held.result, SerialLockResult::Ok);
  ASSERT_EQ(loadSerialCounter(first.program->workingDirectory, first.program->serialCounter), SerialLoadResult::Ok);
  advanceSerialCounter(first.program->serialCounter);
  ASSERT_EQ(saveSerialCounter(first.machine, first.program->workingDirectory, first.program->serialCounter),
            SerialSaveResult::Ok);
  EXPECT_EQ(lockSerialFile(second.machine, second.program->workingDirectory).result, SerialLockResult::InUse);
}

TEST_F(SerialLockTest, CompanionFileThatCannotBeLockedIsNotTakenForInUse) {
  std::filesystem::create_directory(folder.path() / kSerialLockFileName);
  const SerialLock refused = lockSerialFile(first.machine, first.program->workingDirectory);
  EXPECT_EQ(refused.result, SerialLockResult::CannotLock);
  EXPECT_FALSE(refused.lock.isOpen());
  EXPECT_EQ(serialLockMessage(refused.result), "Error!!! Can Not Lock SERIAL.TXT.lock");
  EXPECT_FALSE(folder.exists(kSerialFileName));
}

}  // namespace
}  // namespace updater
