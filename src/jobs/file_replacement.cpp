#include "jobs/file_replacement.h"

#include <system_error>

#include "platform/durable_file.h"

namespace updater {
namespace {

void removeStaging(const std::filesystem::path& target) {
  std::error_code ignored;
  std::filesystem::remove(stagingPathFor(target), ignored);
}

}  // namespace

std::filesystem::path stagingPathFor(const std::filesystem::path& target) {
  std::filesystem::path staging = target;
  staging += ".new";
  return staging;
}

bool stageReplacement(const std::filesystem::path& target, std::string_view contents) {
  if (writeFileToDisk(stagingPathFor(target), contents)) return true;
  removeStaging(target);
  return false;
}

bool commitReplacement(const std::filesystem::path& target) {
  std::error_code error;
  std::filesystem::rename(stagingPathFor(target), target, error);
  if (!error) return true;
  removeStaging(target);
  return false;
}

bool replaceFile(const std::filesystem::path& target, std::string_view contents) {
  return stageReplacement(target, contents) && commitReplacement(target);
}

}  // namespace updater
