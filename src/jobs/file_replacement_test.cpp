#include "jobs/file_replacement.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/sim_machine.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

// The replacement runs on the simulated machine, whose files are the host's
// own and whose file calls a test can make fail.
class FileReplacement : public ::testing::Test {
 protected:
  TemporaryDirectory directory;
  Transcript transcript;
  SimMachine machine{transcript};
};

TEST_F(FileReplacement, ReplacesTheWholeFileAndLeavesNoStagingFile) {
  directory.writeFile("A.TXT", "old contents, longer than the new");
  EXPECT_TRUE(replaceFile(machine, directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
  EXPECT_FALSE(directory.exists("A.TXT.new"));
}

TEST_F(FileReplacement, FailedRenameKeepsTheTargetAndRemovesTheStagingFile) {
  // A non-empty directory cannot be renamed over.
  std::filesystem::create_directories(directory.path() / "A.TXT" / "inside");
  EXPECT_FALSE(replaceFile(machine, directory.path() / "A.TXT", "new"));
  EXPECT_TRUE(std::filesystem::is_directory(directory.path() / "A.TXT" / "inside"));
  EXPECT_FALSE(directory.exists("A.TXT.new"));
}

TEST_F(FileReplacement, LinkAtTheStagingNameIsNotWrittenThrough) {
  directory.writeFile("A.TXT", "old");
  directory.writeFile("OTHER.TXT", "somebody else's");
  std::filesystem::create_symlink("OTHER.TXT", directory.path() / "A.TXT.new");
  EXPECT_FALSE(replaceFile(machine, directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("OTHER.TXT"), "somebody else's");
  EXPECT_TRUE(std::filesystem::is_symlink(directory.path() / "A.TXT.new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
}

TEST_F(FileReplacement, DirectoryAtTheStagingNameIsLeftWhereItIs) {
  directory.writeFile("A.TXT", "old");
  std::filesystem::create_directory(directory.path() / "A.TXT.new");
  EXPECT_FALSE(replaceFile(machine, directory.path() / "A.TXT", "new"));
  EXPECT_TRUE(std::filesystem::is_directory(directory.path() / "A.TXT.new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
}

TEST_F(FileReplacement, StagingFileLeftByACrashIsReplaced) {
  directory.writeFile("A.TXT", "old");
  directory.writeFile("A.TXT.new", "half of an earlier");
  EXPECT_TRUE(replaceFile(machine, directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
  EXPECT_FALSE(directory.exists("A.TXT.new"));
}

TEST_F(FileReplacement, ReadOnlyTargetIsNotReplaced) {
  directory.writeFile("A.TXT", "old");
  const auto target = directory.path() / "A.TXT";
  // Read-only for everybody, which holds for the superuser too.
  std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  EXPECT_FALSE(replaceFile(machine, target, "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
  EXPECT_FALSE(directory.exists("A.TXT.new"));

  std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
  EXPECT_TRUE(replaceFile(machine, target, "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
}

TEST_F(FileReplacement, StagingAloneLeavesTheTargetUntouched) {
  directory.writeFile("A.TXT", "old");
  ASSERT_TRUE(stageReplacement(machine, directory.path() / "A.TXT", "new"));
  EXPECT_EQ(directory.readFile("A.TXT"), "old");
  EXPECT_EQ(directory.readFile("A.TXT.new"), "new");
  EXPECT_TRUE(commitReplacement(machine, directory.path() / "A.TXT"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
}

// --- Each step failing ---------------------------------------------------------------

std::vector<FileFault> everyFileFault() {
  std::vector<FileFault> faults;
  for (const FileCall call :
       {FileCall::CreateNewFile, FileCall::WriteFile, FileCall::FlushFile, FileCall::CloseFile, FileCall::RenameFile}) {
    for (const FileFault fault : faultsOf(call)) faults.push_back(fault);
  }
  return faults;
}

enum class AtStaging { Nothing, LeftoverFile, LinkOutside };

const char* atStagingName(AtStaging standing) {
  switch (standing) {
    case AtStaging::Nothing: return "nothing at the staging name";
    case AtStaging::LeftoverFile: return "a staging file left by a crash";
    case AtStaging::LinkOutside: return "a link at the staging name";
  }
  return "?";
}

// Whichever file call fails, the target is as it was, no staging file of the
// replacement is left and no file stays open; a short write that the
// replacement completes is no failure. A link at the staging name is never
// written through or removed, whatever fails.
TEST(FileReplacementFaults, AnyFailedStepKeepsTheTargetAndLeavesNoStagingFile) {
  namespace fs = std::filesystem;
  for (const FileFault fault : everyFileFault()) {
    for (const AtStaging standing : {AtStaging::Nothing, AtStaging::LeftoverFile, AtStaging::LinkOutside}) {
      SCOPED_TRACE(std::string(fileFaultName(fault)) + ", " + atStagingName(standing));
      TemporaryDirectory directory;
      directory.writeFile("A.TXT", "0x12 0x34 0x6 ");
      directory.writeFile("OTHER.TXT", "somebody else's");
      if (standing == AtStaging::LeftoverFile) directory.writeFile("A.TXT.new", "0x12 0x3");
      if (standing == AtStaging::LinkOutside) fs::create_symlink("OTHER.TXT", directory.path() / "A.TXT.new");
      Transcript transcript;
      SimMachine machine(transcript);
      machine.fileFaults = FileFaultPlan({{fault, 1}});

      const bool replaced = replaceFile(machine, directory.path() / "A.TXT", "0x12 0x34 0x7 ");

      const bool expectReplaced = fault == FileFault::ShortWrite && standing != AtStaging::LinkOutside;
      EXPECT_EQ(replaced, expectReplaced);
      EXPECT_EQ(directory.readFile("A.TXT"), expectReplaced ? "0x12 0x34 0x7 " : "0x12 0x34 0x6 ");
      EXPECT_EQ(directory.readFile("OTHER.TXT"), "somebody else's");
      if (standing == AtStaging::LinkOutside) {
        EXPECT_TRUE(fs::is_symlink(directory.path() / "A.TXT.new"));
        EXPECT_EQ(fs::read_symlink(directory.path() / "A.TXT.new"), "OTHER.TXT");
      } else {
        EXPECT_FALSE(directory.exists("A.TXT.new"));
      }
      EXPECT_EQ(std::distance(fs::directory_iterator(directory.path()), fs::directory_iterator()),
                standing == AtStaging::LinkOutside ? 3 : 2)
          << "something else was left in the folder";
      EXPECT_EQ(machine.openNewFileCount(), 0u);
      EXPECT_TRUE(machine.violations().empty());
    }
  }
}

}  // namespace
}  // namespace updater
