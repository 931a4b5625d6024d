#include "platform/file_lock.h"

#include <windows.h>

#include "platform/host_windows.h"

namespace updater {
namespace {

// The whole file and everything past its end: the file stays empty, and any
// lock on it must meet this one. Windows 95, 98 and ME keep files below
// 4 GiB and their offsets in 32 bits, so there the region ends at 4 GiB.
constexpr DWORD kWholeFileLow = MAXDWORD;
DWORD wholeFileHigh() { return hostIsNonNtWindows() ? 0 : MAXDWORD; }

// LockFile is LockFileEx with an exclusive lock that fails at once, and the
// one of the two that Windows 95, 98 and ME carry out.
bool lockWholeFile(HANDLE file) { return LockFile(file, 0, 0, kWholeFileLow, wholeFileHigh()) != 0; }
bool unlockWholeFile(HANDLE file) { return UnlockFile(file, 0, 0, kWholeFileLow, wholeFileHigh()) != 0; }

// Every kind of sharing: the lock, not the open, is what keeps others out,
// and a station that only looks at the folder must not be refused. Windows
// 95, 98 and ME refuse FILE_SHARE_DELETE.
DWORD shareMode() {
  const DWORD readWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
  return hostIsNonNtWindows() ? readWrite : readWrite | FILE_SHARE_DELETE;
}
FileLockValue lockValueOf(HANDLE file) {
  return static_cast<FileLockValue>(reinterpret_cast<std::uintptr_t>(file));
}

HANDLE fileOf(FileLockValue lock) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(lock)); }

}  // namespace

FileLockResult lockHostFile(const std::filesystem::path& path) {
  // A reparse point (a symbolic link, a junction) is opened itself, never
  // followed, so that nothing is made where it points; it is then refused.
  const HANDLE file = createHostFileHandle(path, GENERIC_READ | GENERIC_WRITE, shareMode(), OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return {FileLockStatus::Failed, FileLockValue::None};
  if (!isPlainDiskFile(file)) {
    CloseHandle(file);
    return {FileLockStatus::Failed, FileLockValue::None};
  }
  if (lockWholeFile(file)) return {FileLockStatus::Locked, lockValueOf(file)};
  const bool heldElsewhere = GetLastError() == ERROR_LOCK_VIOLATION;
  CloseHandle(file);
  return {heldElsewhere ? FileLockStatus::HeldElsewhere : FileLockStatus::Failed, FileLockValue::None};
}

bool unlockHostFile(FileLockValue lock) {
  if (lock == FileLockValue::None) return false;
  const HANDLE file = fileOf(lock);
  const bool unlocked = unlockWholeFile(file);
  const bool closed = CloseHandle(file) != 0;
  return unlocked && closed;
}

}  // namespace updater
