#include "common/plain_file.h"

#include <system_error>

namespace updater {

PlainFileCheck checkPlainFile(const std::filesystem::path& path, std::uintmax_t maxBytes) {
  std::error_code error;
  // status() follows links: a link to a regular file is one.
  if (!std::filesystem::is_regular_file(std::filesystem::status(path, error))) return PlainFileCheck::NotAFile;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return PlainFileCheck::NotAFile;
  return size > maxBytes ? PlainFileCheck::TooLarge : PlainFileCheck::Readable;
}

}  // namespace updater
