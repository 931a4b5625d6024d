#pragma once

// Replacing a file where the system has no call that renames over an
// existing name (Windows 95, 98 and ME lack MoveFileEx): the old file steps
// aside under a backup name, the new one takes the name, and the backup
// goes. A reader may find the name missing for the moment between the two
// renames, and a crash there leaves the old contents under the backup name
// and the new ones under their own: weaker than one atomic rename, which
// is why systems that have one use it instead.

#include <functional>
#include <string>

namespace updater {

/// The three host calls the replacement takes, on the system's own names.
struct RenameCalls {
  std::function<bool(const std::string& name)> exists;                         // anything at the name
  std::function<bool(const std::string& from, const std::string& to)> rename;  // fails when `to` exists
  std::function<bool(const std::string& name)> remove;                         // a plain file only
};

/// The name the old file takes while the new one takes its place.
std::string backupNameFor(const std::string& target);

/// Renames `from` to `target`, replacing a file at `target`. On failure
/// `target` holds what it held before, as far as the calls allow: a
/// failed second rename puts the old file back.
bool replaceByRenames(const std::string& from, const std::string& target, const RenameCalls& calls);

}  // namespace updater
