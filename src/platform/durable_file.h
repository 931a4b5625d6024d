#pragma once

// The few file operations the portable C++ library cannot express: writing a
// file so that it survives a crash or a power cut once the call returns,
// making a file only where nothing stands yet, and telling a read-only file.
// The build picks the backend (durable_file_posix.cpp or
// durable_file_win32.cpp).

#include <filesystem>
#include <string_view>

namespace updater {

/// Creates or truncates `path`, writes all of `contents` and flushes them to
/// the disk (fsync / FlushFileBuffers) before closing. Returns true only when
/// every byte was written, flushed and the file closed without error; on false
/// the file may exist and hold any part of `contents`, and the caller removes
/// it. Never throws.
bool writeFileToDisk(const std::filesystem::path& path, std::string_view contents);

enum class NewFileResult {
  Written,       // made, written, flushed and closed
  AlreadyThere,  // something stands at the path (a file, a link, a directory): nothing was touched
  Failed,        // made, but not written whole: it may hold any part of the contents; the caller removes it
};

/// As writeFileToDisk, but only where nothing stands at `path`, not even a
/// link (which is never followed): the file made is the caller's own. Never
/// throws.
NewFileResult writeNewFileToDisk(const std::filesystem::path& path, std::string_view contents);

/// Whether the file at `path` may not be written: its permission bits grant
/// nobody a write, or not this process (POSIX); it has the read-only
/// attribute (Windows). A link is followed. False when nothing is there.
/// Never throws.
bool isReadOnlyFile(const std::filesystem::path& path);

}  // namespace updater
