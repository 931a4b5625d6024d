#include "platform/file_lock.h"

#include <windows.h>

namespace updater {
namespace {

// The whole file and everything past its end: the file stays empty, and any
// lock on it must meet this one.
constexpr DWORD kWholeFileLow = MAXDWORD;
constexpr DWORD kWholeFileHigh = MAXDWORD;

FileLockValue lockValueOf(HANDLE file) {
  return static_cast<FileLockValue>(reinterpret_cast<std::uintptr_t>(file));
}

HANDLE fileOf(FileLockValue lock) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(lock)); }

// Whether the open is of a regular file on a disk: not the link or junction
// itself (opened as such below), nor a directory, a pipe or a device.
bool isRegularFile(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return false;
  return (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

}  // namespace

FileLockResult lockHostFile(const std::filesystem::path& path) {
  // Every kind of sharing: the lock, not the open, is what keeps others out,
  // and a station that only looks at the folder must not be refused. A
  // reparse point (a symbolic link, a junction) is opened itself, never
  // followed, so that nothing is made where it points; it is then refused.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {FileLockStatus::Failed, FileLockValue::None};
  if (!isRegularFile(file)) {
    CloseHandle(file);
    return {FileLockStatus::Failed, FileLockValue::None};
  }
  OVERLAPPED start{};
  if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kWholeFileLow, kWholeFileHigh,
                 &start)) {
    return {FileLockStatus::Locked, lockValueOf(file)};
  }
  const bool heldElsewhere = GetLastError() == ERROR_LOCK_VIOLATION;
  CloseHandle(file);
  return {heldElsewhere ? FileLockStatus::HeldElsewhere : FileLockStatus::Failed, FileLockValue::None};
}

bool unlockHostFile(FileLockValue lock) {
  if (lock == FileLockValue::None) return false;
  const HANDLE file = fileOf(lock);
  OVERLAPPED start{};
  const bool unlocked = UnlockFileEx(file, 0, kWholeFileLow, kWholeFileHigh, &start) != 0;
  const bool closed = CloseHandle(file) != 0;
  return unlocked && closed;
}

}  // namespace updater
