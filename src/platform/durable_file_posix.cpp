#include "platform/durable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
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

// Writes, flushes and closes an open file; closes it on every path.
bool writeFlushAndClose(int descriptor, std::string_view contents) {
  const bool written = writeAll(descriptor, contents) && ::fsync(descriptor) == 0;
  // A failing close can report a delayed write error, so it counts too.
  const bool closed = ::close(descriptor) == 0;
  return written && closed;
}

}  // namespace

bool writeFileToDisk(const std::filesystem::path& path, std::string_view contents) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  return writeFlushAndClose(descriptor, contents);
}

NewFileResult writeNewFileToDisk(const std::filesystem::path& path, std::string_view contents) {
  // O_EXCL fails on anything at the path, a dangling link included, and
  // never follows a link.
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return errno == EEXIST ? NewFileResult::AlreadyThere : NewFileResult::Failed;
  return writeFlushAndClose(descriptor, contents) ? NewFileResult::Written : NewFileResult::Failed;
}

bool isReadOnlyFile(const std::filesystem::path& path) {
  struct stat information {};
  if (::stat(path.c_str(), &information) != 0) return false;
  // The superuser may write whatever the bits say; a file that grants
  // nobody a write was still meant to stay as it is.
  const bool nobodyMayWrite = (information.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  return nobodyMayWrite || ::access(path.c_str(), W_OK) != 0;
}

}  // namespace updater
