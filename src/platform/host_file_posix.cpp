#include "platform/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace updater {
namespace {

// The file's value is the descriptor plus one, so that descriptor 0 (when
// the standard input was closed) is not taken for "no file".
NewFileValue fileValueOf(int descriptor) {
  return static_cast<NewFileValue>(static_cast<std::uintptr_t>(descriptor) + 1);
}

int descriptorOf(NewFileValue file) { return static_cast<int>(static_cast<std::uintptr_t>(file) - 1); }

}  // namespace

NewFileResult createNewHostFile(const std::filesystem::path& path) {
  // O_EXCL fails on anything at the path, a dangling link included, and
  // never follows a link; O_NOFOLLOW says so once more.
  int descriptor = -1;
  do {
    descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor >= 0) return {NewFileStatus::Created, fileValueOf(descriptor)};
  return {errno == EEXIST ? NewFileStatus::AlreadyThere : NewFileStatus::Failed, NewFileValue::None};
}

AppendFileResult openHostFileForAppend(const std::filesystem::path& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a reader before fstat
  // refuses it. It changes nothing for a regular file.
  int descriptor = -1;
  do {
    descriptor = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return {};
  struct stat information {};
  if (::fstat(descriptor, &information) != 0 || !S_ISREG(information.st_mode)) {
    ::close(descriptor);
    return {};
  }
  AppendFileResult result{true, fileValueOf(descriptor), static_cast<std::uint64_t>(information.st_size), false};
  if (result.size > 0) {
    char last = 0;
    result.endsWithLineBreak =
        ::pread(descriptor, &last, 1, static_cast<off_t>(result.size - 1)) == 1 && last == '\n';
  }
  return result;
}

FileWriteResult writeHostFile(NewFileValue file, std::string_view data) {
  if (file == NewFileValue::None) return {};
  ssize_t written = -1;
  do {
    written = ::write(descriptorOf(file), data.data(), data.size());
  } while (written < 0 && errno == EINTR);
  if (written < 0) return {};
  return {true, static_cast<std::size_t>(written)};
}

bool flushHostFile(NewFileValue file) {
  if (file == NewFileValue::None) return false;
  int flushed = -1;
  do {
    flushed = ::fsync(descriptorOf(file));
  } while (flushed != 0 && errno == EINTR);
  return flushed == 0;
}

bool closeHostFile(NewFileValue file) {
  if (file == NewFileValue::None) return false;
  // Not repeated on EINTR: the descriptor is gone whatever close returned.
  return ::close(descriptorOf(file)) == 0;
}

bool renameHostFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool removeHostFile(const std::filesystem::path& path) {
  return hostPathKind(path) == PathKind::PlainFile && ::unlink(path.c_str()) == 0;
}

PathKind hostPathKind(const std::filesystem::path& path) {
  struct stat information {};
  if (::lstat(path.c_str(), &information) != 0) return errno == ENOENT ? PathKind::Nothing : PathKind::Other;
  return S_ISREG(information.st_mode) ? PathKind::PlainFile : PathKind::Other;
}

bool isReadOnlyHostFile(const std::filesystem::path& path) {
  struct stat information {};
  if (::stat(path.c_str(), &information) != 0) return false;
  // The superuser may write whatever the bits say; a file that grants
  // nobody a write was still meant to stay as it is.
  const bool nobodyMayWrite = (information.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  return nobodyMayWrite || ::access(path.c_str(), W_OK) != 0;
}

}  // namespace updater
