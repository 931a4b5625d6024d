#include "platform/host_file.h"

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

namespace fs = std::filesystem;

std::string contentsOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HostFile, NewFileIsWrittenFlushedClosedAndRenamedOverTheTarget) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old contents");
  const fs::path staging = directory.path() / "A.TXT.new";

  const NewFileResult made = createNewHostFile(staging);
  ASSERT_EQ(made.status, NewFileStatus::Created);
  ASSERT_NE(made.file, NewFileValue::None);
  const FileWriteResult written = writeHostFile(made.file, "new");
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.written, 3u);
  EXPECT_TRUE(flushHostFile(made.file));
  EXPECT_TRUE(closeHostFile(made.file));

  EXPECT_TRUE(renameHostFile(staging, directory.path() / "A.TXT"));
  EXPECT_EQ(directory.readFile("A.TXT"), "new");
  EXPECT_FALSE(directory.exists("A.TXT.new"));
  EXPECT_FALSE(renameHostFile(staging, directory.path() / "A.TXT")) << "nothing left to rename";
}

TEST(HostFile, CallsOnNoFileFail) {
  EXPECT_FALSE(writeHostFile(NewFileValue::None, "x").ok);
  EXPECT_FALSE(flushHostFile(NewFileValue::None));
  EXPECT_FALSE(closeHostFile(NewFileValue::None));
}

struct StandingRow {
  const char* name;
  // Puts what stands at `path`; `outside` is a folder beside its own.
  std::function<void(const fs::path& path, const fs::path& outside)> arrange;
  PathKind kind;
  NewFileStatus create;  // what createNewHostFile finds there
  bool removed;          // whether removeHostFile takes it away
};

// What stands at a name is looked at itself; a link is never followed, so
// nothing is made, written or removed where it points.
TEST(HostFile, WhatStandsAtTheNameIsLookedAtItselfAndNoLinkIsFollowed) {
  const std::vector<StandingRow> rows = {
      {"nothing", [](const fs::path&, const fs::path&) {}, PathKind::Nothing, NewFileStatus::Created, false},
      {"a plain file", [](const fs::path& path, const fs::path&) { std::ofstream{path} << "left over"; },
       PathKind::PlainFile, NewFileStatus::AlreadyThere, true},
      {"a link to a file outside",
       [](const fs::path& path, const fs::path& outside) {
         std::ofstream{outside / "victim"} << "somebody else's";
         fs::create_symlink(outside / "victim", path);
       },
       PathKind::Other, NewFileStatus::AlreadyThere, false},
      {"a dangling link to outside",
       [](const fs::path& path, const fs::path& outside) { fs::create_symlink(outside / "made here?", path); },
       PathKind::Other, NewFileStatus::AlreadyThere, false},
      {"a directory", [](const fs::path& path, const fs::path&) { fs::create_directory(path); }, PathKind::Other,
       NewFileStatus::AlreadyThere, false},
      {"a FIFO", [](const fs::path& path, const fs::path&) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); },
       PathKind::Other, NewFileStatus::AlreadyThere, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TemporaryDirectory directory;
    const fs::path folder = directory.path() / "work";
    const fs::path outside = directory.path() / "outside";
    fs::create_directory(folder);
    fs::create_directory(outside);
    const fs::path path = folder / "A.TXT.new";
    row.arrange(path, outside);
    const fs::file_type before = fs::symlink_status(path).type();

    EXPECT_EQ(hostPathKind(path), row.kind);
    const NewFileResult made = createNewHostFile(path);
    EXPECT_EQ(made.status, row.create);
    EXPECT_EQ(made.file != NewFileValue::None, row.create == NewFileStatus::Created);
    if (made.status == NewFileStatus::Created) {
      EXPECT_TRUE(closeHostFile(made.file));
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
      EXPECT_EQ(fs::file_size(path), 0u);
    } else {
      EXPECT_EQ(fs::symlink_status(path).type(), before) << "left as it stood";
      EXPECT_EQ(removeHostFile(path), row.removed);
      EXPECT_EQ(fs::symlink_status(path).type(), row.removed ? fs::file_type::not_found : before);
    }
    EXPECT_FALSE(fs::exists(outside / "made here?")) << "made through a link";
    if (fs::exists(outside / "victim")) {
      EXPECT_EQ(contentsOf(outside / "victim"), "somebody else's");
    }
  }
}

TEST(HostFile, NoFileIsMadeInAMissingFolder) {
  TemporaryDirectory directory;
  const NewFileResult made = createNewHostFile(directory.path() / "gone" / "A.TXT.new");
  EXPECT_EQ(made.status, NewFileStatus::Failed);
  EXPECT_EQ(made.file, NewFileValue::None);
  EXPECT_EQ(hostPathKind(directory.path() / "gone" / "A.TXT.new"), PathKind::Nothing);
  EXPECT_FALSE(removeHostFile(directory.path() / "gone" / "A.TXT.new"));
}

TEST(HostFile, ReadOnlyFileIsToldApart) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "old");
  const fs::path path = directory.path() / "A.TXT";
  EXPECT_FALSE(isReadOnlyHostFile(path));
  // Read-only for everybody, which holds for the superuser too.
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_TRUE(isReadOnlyHostFile(path));
  EXPECT_FALSE(isReadOnlyHostFile(directory.path() / "missing"));
}

}  // namespace
}  // namespace updater
