#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// Opens the lock file, or -1 when anything but a regular file stands at
// `path`. A link is never followed (O_NOFOLLOW): one at the lock's name
// would have the lock file made, and locked, wherever it points. O_NONBLOCK
// keeps the open of a FIFO from waiting for a peer; the type is then read
// from what was opened, so nothing swapped in meanwhile slips through.
int openForLock(const std::filesystem::path& path) {
  // Opened for writing: where flock is carried by byte-range locks (network
  // file systems), an exclusive lock needs a descriptor that may write.
  int descriptor = -1;
  do {
    descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return -1;
  struct stat information {};
  if (::fstat(descriptor, &information) != 0 || !S_ISREG(information.st_mode)) {
    ::close(descriptor);
    return -1;
  }
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
