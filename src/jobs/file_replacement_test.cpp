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
