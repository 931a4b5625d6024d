#include "platform/replace_by_renames.h"

namespace updater {

bool replaceByRenames(const std::filesystem::path& from, const std::filesystem::path& target,
                      const RenameCalls& calls) {
  if (!calls.exists(target)) return calls.rename(from, target);
  std::filesystem::path backup = target;
  backup += ".old";
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
