#include "jobs/file_replacement.h"

#include "jobs/durable_write.h"

namespace updater {

std::filesystem::path stagingPathFor(const std::filesystem::path& target) {
  std::filesystem::path staging = target;
  staging += ".new";
  return staging;
}

bool stageReplacement(Port& port, const std::filesystem::path& target, std::string_view contents) {
  if (port.isReadOnlyFile(target)) return false;
  const std::filesystem::path staging = stagingPathFor(target);
  // What an interrupted replacement left behind goes; anything else (a link,
  // a directory: removeFile takes a plain file only) stays, and then the new
  // file cannot be made below.
  port.removeFile(staging);
  switch (writeNewFile(port, staging, contents)) {
    case NewFileWrite::Written: return true;
    case NewFileWrite::AlreadyThere: return false;
    case NewFileWrite::Failed: break;
  }
  port.removeFile(staging);
  return false;
}

bool commitReplacement(Port& port, const std::filesystem::path& target) {
  const std::filesystem::path staging = stagingPathFor(target);
  if (port.renameFile(staging, target)) return true;
  port.removeFile(staging);
  return false;
}

bool replaceFile(Port& port, const std::filesystem::path& target, std::string_view contents) {
  return stageReplacement(port, target, contents) && commitReplacement(port, target);
}

}  // namespace updater
