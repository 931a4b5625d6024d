#include "platform/file_lock.h"

#include <gtest/gtest.h>

#include "testing/temporary_directory.h"

namespace updater {
namespace {

TEST(HostFileLock, SecondLockOnTheFileIsRefusedUntilTheFirstIsReleased) {
  TemporaryDirectory directory;
  const std::filesystem::path path = directory.path() / "counter.lock";

  const FileLockResult first = lockHostFile(path);
  ASSERT_EQ(first.status, FileLockStatus::Locked);
  EXPECT_NE(first.lock, FileLockValue::None);
  EXPECT_TRUE(directory.exists("counter.lock")) << "created when missing";

  const FileLockResult second = lockHostFile(path);
  EXPECT_EQ(second.status, FileLockStatus::HeldElsewhere);
  EXPECT_EQ(second.lock, FileLockValue::None);

  EXPECT_TRUE(unlockHostFile(first.lock));
  EXPECT_TRUE(directory.exists("counter.lock")) << "the file stays";
  EXPECT_EQ(directory.readFile("counter.lock"), "") << "nothing is written into it";

  const FileLockResult third = lockHostFile(path);
  ASSERT_EQ(third.status, FileLockStatus::Locked) << "an existing file locks as well";
  EXPECT_TRUE(unlockHostFile(third.lock));
}

TEST(HostFileLock, FilesThatCannotBeOpenedFailWithoutALock) {
  TemporaryDirectory directory;
  std::filesystem::create_directory(directory.path() / "a directory");
  for (const char* name : {"a directory", "no such folder/counter.lock"}) {
    const FileLockResult result = lockHostFile(directory.path() / name);
    EXPECT_EQ(result.status, FileLockStatus::Failed) << name;
    EXPECT_EQ(result.lock, FileLockValue::None) << name;
  }
  EXPECT_FALSE(unlockHostFile(FileLockValue::None));
}

TEST(HostFileLock, LocksOfDifferentFilesAreIndependent) {
  TemporaryDirectory directory;
  const FileLockResult first = lockHostFile(directory.path() / "one.lock");
  const FileLockResult second = lockHostFile(directory.path() / "two.lock");
  EXPECT_EQ(first.status, FileLockStatus::Locked);
  EXPECT_EQ(second.status, FileLockStatus::Locked);
  EXPECT_TRUE(unlockHostFile(first.lock));
  EXPECT_TRUE(unlockHostFile(second.lock));
}

}  // namespace
}  // namespace updater
