#include "jobs/file_replacement.h"

#include <system_error>

#include "platform/durable_file.h"

namespace updater {
namespace {

bool isPlainFileItself(const std::filesystem::path& path) {
  std::error_code error;
  // symlink_status: a link is looked at, not followed.
  return std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::regular;
}

// Removes the staging file, but only a plain file: a link or a directory
// there is not this program's.
void removeStaging(const std::filesystem::path& staging) {
  std::error_code ignored;
  if (isPlainFileItself(staging)) std::filesystem::remove(staging, ignored);
}

}  // namespace

std::filesystem::path stagingPathFor(const std::filesystem::path& target) {
  std::filesystem::path staging = target;
  staging += ".new";
  return staging;
}

bool stageReplacement(const std::filesystem::path& target, std::string_view contents) {
  if (isReadOnlyFile(target)) return false;
  const std::filesystem::path staging = stagingPathFor(target);
  // What an interrupted replacement left behind goes; anything else stays,
  // and then the new file cannot be made below.
  removeStaging(staging);
  switch (writeNewFileToDisk(staging, contents)) {
    case NewFileResult::Written: return true;
    case NewFileResult::AlreadyThere: return false;
    case NewFileResult::Failed: break;
  }
  removeStaging(staging);
  return false;
}

bool commitReplacement(const std::filesystem::path& target) {
  const std::filesystem::path staging = stagingPathFor(target);
  std::error_code error;
  std::filesystem::rename(staging, target, error);
  if (!error) return true;
  removeStaging(staging);
  return false;
}

bool replaceFile(const std::filesystem::path& target, std::string_view contents) {
  return stageReplacement(target, contents) && commitReplacement(target);
}

}  // namespace updater
