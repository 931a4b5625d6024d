#include "platform/host_file.h"

#include <windows.h>

namespace updater {
namespace {

NewFileValue fileValueOf(HANDLE file) { return static_cast<NewFileValue>(reinterpret_cast<std::uintptr_t>(file)); }

HANDLE fileOf(NewFileValue file) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(file)); }

// WriteFile takes at most a DWORD's worth of bytes; a larger request is a
// short write of its first part.
constexpr DWORD kLargestWrite = 0x10000000u;

}  // namespace

NewFileResult createNewHostFile(const std::filesystem::path& path) {
  // CREATE_NEW fails on anything at the path; a reparse point (a symbolic
  // link, a junction) is looked at itself, never followed.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) return {NewFileStatus::Created, fileValueOf(file)};
  const DWORD error = GetLastError();
  const bool there = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
  return {there ? NewFileStatus::AlreadyThere : NewFileStatus::Failed, NewFileValue::None};
}

AppendFileResult openHostFileForAppend(const std::filesystem::path& path) {
  // With FILE_APPEND_DATA and no FILE_WRITE_DATA every write goes in at the
  // end. Others may append and read meanwhile; a reparse point is opened
  // itself and refused below, never followed.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION information{};
  const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & notPlain) != 0 || !GetFileSizeEx(file, &size)) {
    CloseHandle(file);
    return {};
  }
  AppendFileResult result{true, fileValueOf(file), static_cast<std::uint64_t>(size.QuadPart), false};
  if (result.size > 0) {
    const std::uint64_t at = result.size - 1;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    char last = 0;
    DWORD read = 0;
    result.endsWithLineBreak = ReadFile(file, &last, 1, &read, &where) && read == 1 && last == '\n';
  }
  return result;
}

FileWriteResult writeHostFile(NewFileValue file, std::string_view data) {
  if (file == NewFileValue::None) return {};
  const DWORD chunk = data.size() > kLargestWrite ? kLargestWrite : static_cast<DWORD>(data.size());
  DWORD written = 0;
  if (!WriteFile(fileOf(file), data.data(), chunk, &written, nullptr)) return {};
  return {true, written};
}

bool flushHostFile(NewFileValue file) { return file != NewFileValue::None && FlushFileBuffers(fileOf(file)) != 0; }

bool closeHostFile(NewFileValue file) { return file != NewFileValue::None && CloseHandle(fileOf(file)) != 0; }

bool renameHostFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Write-through: the call returns only once the new name is on the disk.
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeHostFile(const std::filesystem::path& path) {
  return hostPathKind(path) == PathKind::PlainFile && DeleteFileW(path.c_str()) != 0;
}

PathKind hostPathKind(const std::filesystem::path& path) {
  // The attributes of a reparse point are its own, not its target's.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return missing ? PathKind::Nothing : PathKind::Other;
  }
  const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  return (attributes & notPlain) == 0 ? PathKind::PlainFile : PathKind::Other;
}

bool isReadOnlyHostFile(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace updater
