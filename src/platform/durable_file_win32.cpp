#include "platform/durable_file.h"

#include <windows.h>

namespace updater {
namespace {

bool writeAll(HANDLE file, std::string_view contents) {
  while (!contents.empty()) {
    const DWORD chunk = contents.size() > 0x10000000u ? 0x10000000u : static_cast<DWORD>(contents.size());
    DWORD written = 0;
    if (!WriteFile(file, contents.data(), chunk, &written, nullptr) || written == 0) return false;
    contents.remove_prefix(written);
  }
  return true;
}

// Writes, flushes and closes an open file; closes it on every path.
bool writeFlushAndClose(HANDLE file, std::string_view contents) {
  const bool written = writeAll(file, contents) && FlushFileBuffers(file) != 0;
  const bool closed = CloseHandle(file) != 0;
  return written && closed;
}

}  // namespace

bool writeFileToDisk(const std::filesystem::path& path, std::string_view contents) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  return writeFlushAndClose(file, contents);
}

NewFileResult writeNewFileToDisk(const std::filesystem::path& path, std::string_view contents) {
  // CREATE_NEW fails on anything at the path, a link included.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool there = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return there ? NewFileResult::AlreadyThere : NewFileResult::Failed;
  }
  return writeFlushAndClose(file, contents) ? NewFileResult::Written : NewFileResult::Failed;
}

bool isReadOnlyFile(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace updater
