#include "platform/replace_by_renames.h"

namespace updater {

std::string backupNameFor(const std::string& target) { return target + ".old"; }

bool replaceByRenames(const std::string& from, const std::string& target, const RenameCalls& calls) {
  if (!calls.exists(target)) return calls.rename(from, target);
  const std::string backup = backupNameFor(target);
  // What an interrupted replacement left behind goes; anything else there
  // (a directory) stays and stops this one before the target is touched.
  if (calls.exists(backup) && !calls.remove(backup)) return false;
  if (!calls.rename(target, backup)) return false;
  if (!calls.rename(from, target)) {
    calls.rename(backup, target);
    return false;
  }
  // The new file is in place; a backup that cannot go is only clutter.
  calls.remove(backup);
  return true;
}

}  // namespace updater
