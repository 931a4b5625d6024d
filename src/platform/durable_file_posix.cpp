#include "platform/durable_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace updater {
namespace {

bool writeAll(int descriptor, std::string_view contents) {
  while (!contents.empty()) {
    const ssize_t written = ::write(descriptor, contents.data(), contents.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    contents.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool writeFileToDisk(const std::filesystem::path& path, std::string_view contents) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  const bool written = writeAll(descriptor, contents) && ::fsync(descriptor) == 0;
  // A failing close can report a delayed write error, so it counts too.
  const bool closed = ::close(descriptor) == 0;
  return written && closed;
}

}  // namespace updater
