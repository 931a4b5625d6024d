#pragma once

// The file-name calls of the host Windows, for file_lock_win32.cpp and
// host_file_win32.cpp. NT takes the W forms with the path as it is, any
// name included. Windows 95, 98 and ME carry out only the A forms (their W
// forms are stubs that fail) and lack several NT flags: there the name goes
// over in the ANSI code page, and one the code page cannot hold fails.

#include <windows.h>

#include <filesystem>
#include <optional>

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

/// MoveFile of `from` to `to`: no replacing.
bool moveHostFileName(const std::filesystem::path& from, const std::filesystem::path& to);

/// MoveFileEx of `from` to `to` with `flags`; nothing when the host does not
/// carry MoveFileEx out (Windows 95, 98 and ME), otherwise whether it moved.
std::optional<bool> moveHostFileNameEx(const std::filesystem::path& from, const std::filesystem::path& to,
                                       DWORD flags);

/// The attributes of what is not a plain file; a reparse point's attributes
/// are its own, not its target's.
inline constexpr DWORD kNotPlainFileAttributes =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;

/// Whether an open handle is of a plain file on a disk: not a link or
/// junction opened as itself, a directory, a pipe or a device.
bool isPlainDiskFile(HANDLE file);

}  // namespace updater
