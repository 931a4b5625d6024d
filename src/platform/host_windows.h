#pragma once

// The file-name calls of the host Windows, for file_lock_win32.cpp and
// host_file_win32.cpp. NT takes the W forms with the path as it is, any
// name included. Windows 95, 98 and ME carry out only the A forms (their W
// forms are stubs that fail) and lack several NT flags: there the name goes
// over in the ANSI code page, and one the code page cannot hold fails.

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace updater {

/// Whether the host is Windows 95, 98 or ME: GetVersion's top bit.
bool hostIsNonNtWindows();

/// CreateFile of `path` with FILE_ATTRIBUTE_NORMAL, and on NT
/// FILE_FLAG_OPEN_REPARSE_POINT, so that a reparse point (a symbolic link, a
/// junction) is opened itself, never followed; Windows 95, 98 and ME have
/// none and do not know the flag. INVALID_HANDLE_VALUE when the open fails
/// or the name does not convert.
HANDLE createHostFileHandle(const std::filesystem::path& path, DWORD access, DWORD shareMode, DWORD disposition);

/// GetFileAttributes of `path` itself; INVALID_FILE_ATTRIBUTES with
/// ERROR_INVALID_NAME when the name does not convert.
DWORD hostFileAttributes(const std::filesystem::path& path);

/// DeleteFile of `path`.
bool deleteHostFileName(const std::filesystem::path& path);

/// MoveFileEx of `from` to `to` with `flags`; nothing when the host does not
/// carry MoveFileEx out (Windows 95, 98 and ME), otherwise whether it moved.
std::optional<bool> moveHostFileNameEx(const std::filesystem::path& from, const std::filesystem::path& to,
                                       DWORD flags);

/// `path` in the ANSI code page; nothing when a character has no exact
/// counterpart there, since a best-fit or default character would name
/// another file.
std::optional<std::string> ansiHostPath(const std::filesystem::path& path);

}  // namespace updater
