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

}  // namespace

bool writeFileToDisk(const std::filesystem::path& path, std::string_view contents) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = writeAll(file, contents) && FlushFileBuffers(file) != 0;
  const bool closed = CloseHandle(file) != 0;
  return written && closed;
}

}  // namespace updater
