#include "platform/replace_by_renames.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

namespace updater {
namespace {

/// A folder of named contents; "<dir>" is a directory, which remove leaves.
/// The renames listed in `failing` fail, as a full disk or a sharing
/// violation would make them.
struct FakeFolder {
  std::map<std::string, std::string> entries;
  std::set<std::pair<std::string, std::string>> failing;

  RenameCalls calls() {
    return {
        [this](const std::filesystem::path& path) { return entries.count(path.string()) != 0; },
        [this](const std::filesystem::path& fromPath, const std::filesystem::path& toPath) {
          const std::string from = fromPath.string();
          const std::string to = toPath.string();
          if (failing.count({from, to}) != 0 || entries.count(from) == 0 || entries.count(to) != 0) return false;
          entries[to] = entries[from];
          entries.erase(from);
          return true;
        },
        [this](const std::filesystem::path& path) {
          const auto entry = entries.find(path.string());
          if (entry == entries.end() || entry->second == "<dir>") return false;
          entries.erase(entry);
          return true;
        },
    };
  }
};

using Entries = std::map<std::string, std::string>;

struct ReplacementCase {
  const char* name;
  Entries before;
  std::set<std::pair<std::string, std::string>> failing;
  bool replaced;
  Entries after;
};

TEST(ReplaceByRenames, TargetEndsWithTheNewFileOrItsOldOne) {
  const ReplacementCase cases[] = {
      {"no target yet: a plain rename", {{"S.TXT.new", "new"}}, {}, true, {{"S.TXT", "new"}}},
      {"the target is replaced and its backup goes",
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}},
       {},
       true,
       {{"S.TXT", "new"}}},
      {"a backup an interrupted replacement left goes first",
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}, {"S.TXT.old", "older"}},
       {},
       true,
       {{"S.TXT", "new"}}},
      {"a directory at the backup name stops it before the target is touched",
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}, {"S.TXT.old", "<dir>"}},
       {},
       false,
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}, {"S.TXT.old", "<dir>"}}},
      {"the target cannot step aside: nothing changes",
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}},
       {{"S.TXT", "S.TXT.old"}},
       false,
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}}},
      {"the new file cannot take the name: the old one comes back",
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}},
       {{"S.TXT.new", "S.TXT"}},
       false,
       {{"S.TXT", "old"}, {"S.TXT.new", "new"}}},
      {"no new file: the old one comes back",
       {{"S.TXT", "old"}},
       {},
       false,
       {{"S.TXT", "old"}}},
  };
  for (const ReplacementCase& row : cases) {
    FakeFolder folder{row.before, row.failing};
    EXPECT_EQ(replaceByRenames("S.TXT.new", "S.TXT", folder.calls()), row.replaced) << row.name;
    EXPECT_EQ(folder.entries, row.after) << row.name;
  }
}

}  // namespace
}  // namespace updater
