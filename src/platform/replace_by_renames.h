#pragma once

// Replacing a file where the system has no call that renames over an
// existing name (Windows 95, 98 and ME lack MoveFileEx): the old file steps
// aside under a backup name, the new one takes the name, and the backup
// goes. A reader may find the name missing for the moment between the two
// renames, and a crash there leaves the old contents under the backup name
// and the new ones under their own: weaker than one atomic rename, which
// is why systems that have one use it instead.

#include <filesystem>
#include <functional>

namespace updater {

/// The three host calls the replacement takes.
struct RenameCalls {
  /// Whether anything stands at the path.
  std::function<bool(const std::filesystem::path& path)> exists;
  /// Renames; fails when something stands at `to`.
  std::function<bool(const std::filesystem::path& from, const std::filesystem::path& to)> rename;
  /// Removes a plain file, and nothing else.
  std::function<bool(const std::filesystem::path& path)> remove;
};

/// Renames `from` to `target`, replacing a file at `target`; the old file
/// steps aside as `target` with ".old" added. On failure `target` holds
/// what it held before, as far as the calls allow: a failed second rename
/// puts the old file back.
bool replaceByRenames(const std::filesystem::path& from, const std::filesystem::path& target,
                      const RenameCalls& calls);

}  // namespace updater
