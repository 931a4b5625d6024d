#include "platform/host_windows.h"

#include <climits>
#include <string>

namespace updater {
namespace {

DWORD openFlags() {
  return hostIsNonNtWindows() ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
}

// `path` in the ANSI code page; nothing when a character has no exact
// counterpart there, since a best-fit or default character would name
// another file.
std::optional<std::string> ansiHostPath(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty() || wide.size() > INT_MAX || wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  const int wideLength = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr) != length) {
    return std::nullopt;
  }
  // Converted back, the name must be the one asked for: this catches the
  // default character and best-fit mappings alike, on every system (the
  // flags that report them are NT's only).
  const int backLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (backLength != wideLength) return std::nullopt;
  std::wstring back(static_cast<std::size_t>(backLength), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, back.data(), backLength) != backLength || back != wide) {
    return std::nullopt;
  }
  return ansi;
}

using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

// MoveFileExA is found at run time: Windows 95, 98 and ME do not carry it
// out (at best a stub that fails with ERROR_CALL_NOT_IMPLEMENTED).
MoveFileExFunction moveFileExA() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<MoveFileExFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "MoveFileExA")));
}

}  // namespace

bool hostIsNonNtWindows() { return (GetVersion() & 0x80000000u) != 0; }

HANDLE createHostFileHandle(const std::filesystem::path& path, DWORD access, DWORD shareMode, DWORD disposition) {
  if (!hostIsNonNtWindows()) {
    return CreateFileW(path.c_str(), access, shareMode, nullptr, disposition, openFlags(), nullptr);
  }
  const std::optional<std::string> name = ansiHostPath(path);
  if (!name) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(name->c_str(), access, shareMode, nullptr, disposition, openFlags(), nullptr);
}

DWORD hostFileAttributes(const std::filesystem::path& path) {
  if (!hostIsNonNtWindows()) return GetFileAttributesW(path.c_str());
  const std::optional<std::string> name = ansiHostPath(path);
  if (!name) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_FILE_ATTRIBUTES;
  }
  return GetFileAttributesA(name->c_str());
}

bool deleteHostFileName(const std::filesystem::path& path) {
  if (!hostIsNonNtWindows()) return DeleteFileW(path.c_str()) != 0;
  const std::optional<std::string> name = ansiHostPath(path);
  return name && DeleteFileA(name->c_str()) != 0;
}

bool moveHostFileName(const std::filesystem::path& from, const std::filesystem::path& to) {
  // MoveFileEx without flags is MoveFile, and already imported.
  if (!hostIsNonNtWindows()) return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
  const std::optional<std::string> fromName = ansiHostPath(from);
  const std::optional<std::string> toName = ansiHostPath(to);
  return fromName && toName && MoveFileA(fromName->c_str(), toName->c_str()) != 0;
}

std::optional<bool> moveHostFileNameEx(const std::filesystem::path& from, const std::filesystem::path& to,
                                       DWORD flags) {
  if (!hostIsNonNtWindows()) return MoveFileExW(from.c_str(), to.c_str(), flags) != 0;
  const MoveFileExFunction move = moveFileExA();
  if (move == nullptr) return std::nullopt;
  const std::optional<std::string> fromName = ansiHostPath(from);
  const std::optional<std::string> toName = ansiHostPath(to);
  if (!fromName || !toName) return false;
  if (move(fromName->c_str(), toName->c_str(), flags)) return true;
  if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return std::nullopt;
  return false;
}

bool isPlainDiskFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information{};
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information) &&
         (information.dwFileAttributes & kNotPlainFileAttributes) == 0;
}

}  // namespace updater
