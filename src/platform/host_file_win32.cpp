#include "platform/host_file.h"

#include <windows.h>

#include <optional>

#include "platform/host_windows.h"
#include "platform/replace_by_renames.h"

namespace updater {
namespace {

NewFileValue fileValueOf(HANDLE file) { return static_cast<NewFileValue>(reinterpret_cast<std::uintptr_t>(file)); }

HANDLE fileOf(NewFileValue file) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(file)); }

// WriteFile takes at most a DWORD's worth of bytes; a larger request is a
// short write of its first part.
constexpr DWORD kLargestWrite = 0x10000000u;

// Appending: NT puts every write of a FILE_APPEND_DATA open at the end by
// itself; Windows 95, 98 and ME know GENERIC_WRITE only, and writeHostFile
// moves to the end before each write there.
DWORD appendAccess() { return hostIsNonNtWindows() ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ | FILE_APPEND_DATA; }

std::optional<std::uint64_t> sizeOf(HANDLE file) {
  DWORD high = 0;
  SetLastError(NO_ERROR);
  const DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return std::nullopt;
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The byte at `at`. Windows 95, 98 and ME read files at the file pointer
// only (no OVERLAPPED position); the open is fresh, so moving it is free.
bool byteAt(HANDLE file, std::uint64_t at, char& byte) {
  DWORD read = 0;
  if (hostIsNonNtWindows()) {
    LONG high = static_cast<LONG>(at >> 32);
    SetLastError(NO_ERROR);
    if (SetFilePointer(file, static_cast<LONG>(at & 0xFFFFFFFFu), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR) {
      return false;
    }
    return ReadFile(file, &byte, 1, &read, nullptr) && read == 1;
  }
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(at >> 32);
  return ReadFile(file, &byte, 1, &read, &where) && read == 1;
}

bool moveToEnd(HANDLE file) {
  LONG high = 0;
  SetLastError(NO_ERROR);
  return SetFilePointer(file, 0, &high, FILE_END) != INVALID_SET_FILE_POINTER || GetLastError() == NO_ERROR;
}

}  // namespace

NewFileResult createNewHostFile(const std::filesystem::path& path) {
  // CREATE_NEW fails on anything at the path; a reparse point (a symbolic
  // link, a junction) is looked at itself, never followed.
  const HANDLE file = createHostFileHandle(path, GENERIC_WRITE, 0, CREATE_NEW);
  if (file != INVALID_HANDLE_VALUE) return {NewFileStatus::Created, fileValueOf(file)};
  const DWORD error = GetLastError();
  const bool there = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
  return {there ? NewFileStatus::AlreadyThere : NewFileStatus::Failed, NewFileValue::None};
}

AppendFileResult openHostFileForAppend(const std::filesystem::path& path) {
  // Every write goes in at the end (appendAccess). Others may append and
  // read meanwhile; a reparse point is opened itself and refused below,
  // never followed.
  const HANDLE file = createHostFileHandle(path, appendAccess(), FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return {};
  const std::optional<std::uint64_t> size = isPlainDiskFile(file) ? sizeOf(file) : std::nullopt;
  if (!size) {
    CloseHandle(file);
    return {};
  }
  AppendFileResult result{true, fileValueOf(file), *size, false};
  char last = 0;
  result.endsWithLineBreak = result.size > 0 && byteAt(file, result.size - 1, last) && last == '\n';
  return result;
}

FileWriteResult writeHostFile(NewFileValue file, std::string_view data) {
  if (file == NewFileValue::None) return {};
  const DWORD chunk = data.size() > kLargestWrite ? kLargestWrite : static_cast<DWORD>(data.size());
  DWORD written = 0;
  if (hostIsNonNtWindows() && !moveToEnd(fileOf(file))) return {};
  if (!WriteFile(fileOf(file), data.data(), chunk, &written, nullptr)) return {};
  return {true, written};
}

bool flushHostFile(NewFileValue file) { return file != NewFileValue::None && FlushFileBuffers(fileOf(file)) != 0; }

bool closeHostFile(NewFileValue file) { return file != NewFileValue::None && CloseHandle(fileOf(file)) != 0; }

bool renameHostFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Write-through: the call returns only once the new name is on the disk.
  if (const std::optional<bool> moved =
          moveHostFileNameEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return *moved;
  }
  // Windows 95, 98 and ME: no MoveFileEx.
  const auto exists = [](const std::filesystem::path& path) { return hostPathKind(path) != PathKind::Nothing; };
  return replaceByRenames(from, to, {exists, moveHostFileName, removeHostFile});
}

bool removeHostFile(const std::filesystem::path& path) {
  return hostPathKind(path) == PathKind::PlainFile && deleteHostFileName(path);
}

PathKind hostPathKind(const std::filesystem::path& path) {
  const DWORD attributes = hostFileAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return missing ? PathKind::Nothing : PathKind::Other;
  }
  return (attributes & kNotPlainFileAttributes) == 0 ? PathKind::PlainFile : PathKind::Other;
}

bool isReadOnlyHostFile(const std::filesystem::path& path) {
  const DWORD attributes = hostFileAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace updater
