#include "jobs/file_replacement.h"

#include "jobs/durable_write.h"

namespace updater {
namespace {

// Removes the staging file, but only a plain file: a link or a directory
// there is not this program's.
void removeStaging(Port& port, const std::filesystem::path& staging) {
  if (port.pathKind(staging) == PathKind::PlainFile) port.removeFile(staging);
}

}  // namespace

std::filesystem::path stagingPathFor(const std::filesystem::path& target) {
  std::filesystem::path staging = target;
  staging += ".new";
  return staging;
}

bool stageReplacement(Port& port, const std::filesystem::path& target, std::string_view contents) {
  if (port.isReadOnlyFile(target)) return false;
  const std::filesystem::path staging = stagingPathFor(target);
  // What an interrupted replacement left behind goes; anything else stays,
  // and then the new file cannot be made below.
  removeStaging(port, staging);
  switch (writeNewFile(port, staging, contents)) {
    case NewFileWrite::Written: return true;
    case NewFileWrite::AlreadyThere: return false;
    case NewFileWrite::Failed: break;
  }
  removeStaging(port, staging);
  return false;
}

bool commitReplacement(Port& port, const std::filesystem::path& target) {
  const std::filesystem::path staging = stagingPathFor(target);
  if (port.renameFile(staging, target)) return true;
  removeStaging(port, staging);
  return false;
}

bool replaceFile(Port& port, const std::filesystem::path& target, std::string_view contents) {
  return stageReplacement(port, target, contents) && commitReplacement(port, target);
}

}  // namespace updater
