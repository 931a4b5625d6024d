#include "jobs/file_replacement.h"

#include <gtest/gtest.h>

#include "testing/temporary_directory.h"

namespace updater {
namespace {

TEST(FileReplacement, ReplacesTheWholeFileAndLeavesNoStagingFile) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old contents, longer than the new");
  EXPECT_TRUE(replaceFile(directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
  EXPECT_FALSE(directory.exists("A.TXT.new"));
}

TEST(FileReplacement, FailedRenameKeepsTheTargetAndRemovesTheStagingFile) {
  TemporaryDirectory directory;
  // A non-empty directory cannot be renamed over.
  std::filesystem::create_directories(directory.path() / "A.TXT" / "inside");
  EXPECT_FALSE(replaceFile(directory.path() / "A.TXT", "new"));
  EXPECT_TRUE(std::filesystem::is_directory(directory.path() / "A.TXT" / "inside"));
  EXPECT_FALSE(directory.exists("A.TXT.new"));
}

TEST(FileReplacement, LinkAtTheStagingNameIsNotWrittenThrough) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old");
  directory.writeFile("OTHER.TXT", "somebody else's");
  std::filesystem::create_symlink("OTHER.TXT", directory.path() / "A.TXT.new");
  EXPECT_FALSE(replaceFile(directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("OTHER.TXT"), "somebody else's");
  EXPECT_TRUE(std::filesystem::is_symlink(directory.path() / "A.TXT.new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
}

TEST(FileReplacement, DirectoryAtTheStagingNameIsLeftWhereItIs) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old");
  std::filesystem::create_directory(directory.path() / "A.TXT.new");
  EXPECT_FALSE(replaceFile(directory.path() / "A.TXT", "new"));
  EXPECT_TRUE(std::filesystem::is_directory(directory.path() / "A.TXT.new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
}

TEST(FileReplacement, StagingFileLeftByACrashIsReplaced) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old");
  directory.writeFile("A.TXT.new", "half of an earlier");
  EXPECT_TRUE(replaceFile(directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
  EXPECT_FALSE(directory.exists("A.TXT.new"));
}

TEST(FileReplacement, ReadOnlyTargetIsNotReplaced) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old");
  const auto target = directory.path() / "A.TXT";
  // Read-only for everybody, which holds for the superuser too.
  std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  EXPECT_FALSE(replaceFile(target, "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
  EXPECT_FALSE(directory.exists("A.TXT.new"));

  std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
  EXPECT_TRUE(replaceFile(target, "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
}

TEST(FileReplacement, StagingAloneLeavesTheTargetUntouched) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old");
  ASSERT_TRUE(stageReplacement(directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
  EXPECT_EQ(directory.readFile("A.TXT.new"), "new");
  EXPECT_TRUE(commitReplacement(directory.path() / "A.TXT"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
}

}  // namespace
}  // namespace updater
