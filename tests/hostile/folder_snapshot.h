#pragma once

// What a folder holds, entry by entry, taken without following links or
// opening anything but regular files (a FIFO is noted, never opened): to
// tell afterwards what a run wrote, changed or removed.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace updater::hostile {

struct EntryState {
  std::string type;      // "file", "directory", "symlink", "fifo", "other"
  unsigned mode = 0;     // permission bits
  std::string contents;  // a file's bytes ("(unreadable)" when it cannot be read), a link's target
  bool operator==(const EntryState&) const = default;
};

/// Entries by their path relative to the folder, '/' between parts.
using FolderSnapshot = std::map<std::string, EntryState>;

FolderSnapshot takeSnapshot(const std::filesystem::path& folder);

/// One line for each entry that is new, gone or different, leaving out the
/// entries named in `exempt`.
std::vector<std::string> differences(const FolderSnapshot& before, const FolderSnapshot& after,
                                     const std::vector<std::string>& exempt);

}  // namespace updater::hostile
