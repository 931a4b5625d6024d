#include "folder_snapshot.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <utility>

namespace updater::hostile {
namespace {

namespace fs = std::filesystem;

std::string typeName(fs::file_type type) {
  switch (type) {
    case fs::file_type::regular: return "file";
    case fs::file_type::directory: return "directory";
    case fs::file_type::symlink: return "symlink";
    case fs::file_type::fifo: return "fifo";
    default: return "other";
  }
}

EntryState stateOf(const fs::directory_entry& entry) {
  const fs::file_status status = entry.symlink_status();
  EntryState state;
  state.type = typeName(status.type());
  state.mode = static_cast<unsigned>(status.permissions() & fs::perms::mask);
  if (status.type() == fs::file_type::symlink) state.contents = fs::read_symlink(entry.path()).string();
  if (status.type() == fs::file_type::regular) {
    // Read in one piece: some cases leave files of many megabytes, which a
    // character at a time makes slow in the sanitized build.
    std::ifstream file(entry.path(), std::ios::binary);
    std::ostringstream contents;
    // An empty file inserts nothing, which marks `contents` failed: only
    // the open counts.
    if (file) contents << file.rdbuf();
    state.contents = file ? std::move(contents).str() : std::string("(unreadable)");
  }
  return state;
}

std::string describe(const EntryState& state) {
  std::string text = state.type + " mode " + std::to_string(state.mode);
  if (state.type == "symlink") text += " -> " + state.contents;
  if (state.type == "file") text += ", " + std::to_string(state.contents.size()) + " bytes";
  return text;
}

bool isExempt(const std::vector<std::string>& exempt, const std::string& name) {
  return std::find(exempt.begin(), exempt.end(), name) != exempt.end();
}

}  // namespace

FolderSnapshot takeSnapshot(const fs::path& folder) {
  FolderSnapshot snapshot;
  // Directories are entered but links are not followed.
  for (const auto& entry : fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied)) {
    // Lexically: resolving the path would name a link by its target.
    snapshot[entry.path().lexically_relative(folder).generic_string()] = stateOf(entry);
  }
  return snapshot;
}

std::vector<std::string> differences(const FolderSnapshot& before, const FolderSnapshot& after,
                                     const std::vector<std::string>& exempt) {
  std::vector<std::string> lines;
  for (const auto& [name, state] : before) {
    if (isExempt(exempt, name)) continue;
    const auto now = after.find(name);
    if (now == after.end()) {
      lines.push_back(name + ": gone (was " + describe(state) + ")");
    } else if (!(now->second == state)) {
      lines.push_back(name + ": changed from " + describe(state) + " to " + describe(now->second));
    }
  }
  for (const auto& [name, state] : after) {
    if (!isExempt(exempt, name) && !before.contains(name)) lines.push_back(name + ": new " + describe(state));
  }
  return lines;
}

}  // namespace updater::hostile
