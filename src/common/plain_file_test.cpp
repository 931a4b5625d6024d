#include "common/plain_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "testing/temporary_directory.h"

namespace updater {
namespace {

TEST(PlainFile, OnlyRegularFilesWithinTheLimitAreReadable) {
  TemporaryDirectory directory;
  directory.writeFile("FOUR.BIN", "1234");
  std::filesystem::create_symlink("FOUR.BIN", directory.path() / "LINK.BIN");
  std::filesystem::create_symlink("MISSING.BIN", directory.path() / "BROKEN.BIN");
  std::filesystem::create_directory(directory.path() / "DIR.BIN");
  ASSERT_EQ(::mkfifo((directory.path() / "FIFO.BIN").c_str(), 0644), 0);

  struct Row {
    const char* name;
    std::filesystem::path path;
    std::uintmax_t maxBytes;
    PlainFileCheck expected;
  };
  const Row rows[] = {
      {"regular file", directory.path() / "FOUR.BIN", kNoSizeLimit, PlainFileCheck::Readable},
      {"at the limit", directory.path() / "FOUR.BIN", 4, PlainFileCheck::Readable},
      {"one byte over", directory.path() / "FOUR.BIN", 3, PlainFileCheck::TooLarge},
      {"link to a regular file", directory.path() / "LINK.BIN", 4, PlainFileCheck::Readable},
      {"broken link", directory.path() / "BROKEN.BIN", kNoSizeLimit, PlainFileCheck::NotAFile},
      {"missing", directory.path() / "MISSING.BIN", kNoSizeLimit, PlainFileCheck::NotAFile},
      {"directory", directory.path() / "DIR.BIN", kNoSizeLimit, PlainFileCheck::NotAFile},
      {"fifo", directory.path() / "FIFO.BIN", kNoSizeLimit, PlainFileCheck::NotAFile},
      {"device", "/dev/zero", kNoSizeLimit, PlainFileCheck::NotAFile},
  };
  for (const auto& row : rows) EXPECT_EQ(checkPlainFile(row.path, row.maxBytes), row.expected) << row.name;
  EXPECT_TRUE(isPlainFile(directory.path() / "LINK.BIN"));
  EXPECT_FALSE(isPlainFile(directory.path() / "FIFO.BIN"));
}

}  // namespace
}  // namespace updater
