#pragma once

// What the host Windows offers the file calls (file_lock_win32.cpp,
// host_file_win32.cpp). Windows 95, 98 and ME carry out the ANSI forms of
// the file calls only (their W forms are stubs that fail) and lack several
// NT calls and flags; the program uses the ANSI forms everywhere, and NT
// opens the same files through them for any name that converts.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace updater {

/// Whether the host is Windows 95, 98 or ME: GetVersion's top bit.
bool hostIsNonNtWindows();

/// The flags and attributes of CreateFile for the program's files:
/// FILE_ATTRIBUTE_NORMAL, and on NT FILE_FLAG_OPEN_REPARSE_POINT, so that a
/// reparse point (a symbolic link, a junction) is opened itself, never
/// followed. Windows 95, 98 and ME have none and do not know the flag.
std::uint32_t hostOpenFlags();

/// `path` in the ANSI code page, for the A forms of the file calls; nothing
/// when a character has no exact counterpart there, since a best-fit or
/// default character would name another file.
std::optional<std::string> ansiHostPath(const std::filesystem::path& path);

}  // namespace updater
