#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace updater {
namespace {

// The lock's value is the descriptor plus one, so that descriptor 0 (when
// the standard input was closed) is not taken for "no lock".
FileLockValue lockValueOf(int descriptor) {
  return static_cast<FileLockValue>(static_cast<std::uintptr_t>(descriptor) + 1);
}

int descriptorOf(FileLockValue lock) { return static_cast<int>(static_cast<std::uintptr_t>(lock) - 1); }

int openForLock(const std::filesystem::path& path) {
  // Opened for writing: where flock is carried by byte-range locks (network
  // file systems), an exclusive lock needs a descriptor that may write.
  int descriptor = -1;
  do {
    descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  return descriptor;
}

}  // namespace

FileLockResult lockHostFile(const std::filesystem::path& path) {
  const int descriptor = openForLock(path);
  if (descriptor < 0) return {FileLockStatus::Failed, FileLockValue::None};
  int locked = -1;
  do {
    locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked == 0) return {FileLockStatus::Locked, lockValueOf(descriptor)};
  const bool heldElsewhere = errno == EWOULDBLOCK;
  ::close(descriptor);
  return {heldElsewhere ? FileLockStatus::HeldElsewhere : FileLockStatus::Failed, FileLockValue::None};
}

bool unlockHostFile(FileLockValue lock) {
  if (lock == FileLockValue::None) return false;
  const int descriptor = descriptorOf(lock);
  // Closing the last descriptor of the open file would release the lock as
  // well; unlocking first also releases it for a child that inherited it.
  const bool unlocked = ::flock(descriptor, LOCK_UN) == 0;
  const bool closed = ::close(descriptor) == 0;
  return unlocked && closed;
}

}  // namespace updater
