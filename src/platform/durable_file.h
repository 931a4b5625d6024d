#pragma once

// Writing a file so that it survives a crash or a power cut once the call
// returns: the one file operation the portable C++ library cannot express.
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

}  // namespace updater
