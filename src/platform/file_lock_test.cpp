#include "platform/file_lock.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

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

struct StandingRow {
  const char* name;
  // Puts what stands at the lock's name; `outside` is a folder beside it.
  std::function<void(const std::filesystem::path& lock, const std::filesystem::path& outside)> arrange;
  FileLockStatus status;
};

// Whatever stands at the lock's name is left as it is, and nothing is made
// through a link: a link would otherwise have the lock file made, and
// locked, wherever it points. A FIFO must not make the open wait.
TEST(HostFileLock, OnlyARegularFileAtThePathIsLockedAndNoLinkIsFollowed) {
  namespace fs = std::filesystem;
  const std::vector<StandingRow> rows = {
      {"nothing: made empty", [](const fs::path&, const fs::path&) {}, FileLockStatus::Locked},
      {"an empty file", [](const fs::path& lock, const fs::path&) { std::ofstream{lock}; }, FileLockStatus::Locked},
      {"a link to a file outside",
       [](const fs::path& lock, const fs::path& outside) {
         std::ofstream{outside / "victim"} << "not a lock";
         fs::create_symlink(outside / "victim", lock);
       },
       FileLockStatus::Failed},
      {"a dangling link to outside",
       [](const fs::path& lock, const fs::path& outside) { fs::create_symlink(outside / "made here?", lock); },
       FileLockStatus::Failed},
      {"a directory", [](const fs::path& lock, const fs::path&) { fs::create_directory(lock); },
       FileLockStatus::Failed},
      {"a FIFO", [](const fs::path& lock, const fs::path&) { ASSERT_EQ(::mkfifo(lock.c_str(), 0644), 0); },
       FileLockStatus::Failed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TemporaryDirectory directory;
    const fs::path folder = directory.path() / "work";
    const fs::path outside = directory.path() / "outside";
    fs::create_directory(folder);
    fs::create_directory(outside);
    const fs::path path = folder / "counter.lock";
    row.arrange(path, outside);
    const fs::file_status before = fs::symlink_status(path);
    const auto outsideBefore = std::distance(fs::directory_iterator(outside), fs::directory_iterator());

    const FileLockResult result = lockHostFile(path);
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.lock != FileLockValue::None, row.status == FileLockStatus::Locked);
    if (result.status == FileLockStatus::Locked) {
      EXPECT_TRUE(unlockHostFile(result.lock));
    }

    if (row.status == FileLockStatus::Locked) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
      EXPECT_EQ(fs::file_size(path), 0u) << "nothing is written into it";
    } else {
      EXPECT_EQ(fs::symlink_status(path).type(), before.type()) << "left as it stood";
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), outsideBefore)
        << "something was made outside the folder";
    if (fs::exists(outside / "victim")) {
      std::ifstream victim(outside / "victim");
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(victim), {}), "not a lock");
    }
  }
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
