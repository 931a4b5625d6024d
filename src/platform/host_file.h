#pragma once

// The host's own file calls, the ones every port's file calls hand on to
// (Port's "Files the program writes"): the simulated machine works on real
// files in the host folder, as the Windows and Linux ports do. Each function
// has the contract of the Port call of the same name. The build picks the
// backend (host_file_posix.cpp or host_file_win32.cpp).

#include <filesystem>
#include <string_view>

#include "platform/port.h"

namespace updater {

/// What stands at a path, the path itself looked at: a link is not followed.
enum class PathKind {
  Nothing,    // no entry at all
  PlainFile,  // a regular file
  Other,      // a link (even a dangling one), a directory, a FIFO, a device, or it cannot be looked at
};

NewFileResult createNewHostFile(const std::filesystem::path& path);
AppendFileResult openHostFileForAppend(const std::filesystem::path& path);
FileWriteResult writeHostFile(NewFileValue file, std::string_view data);
bool flushHostFile(NewFileValue file);
bool closeHostFile(NewFileValue file);
bool renameHostFile(const std::filesystem::path& from, const std::filesystem::path& to);
bool removeHostFile(const std::filesystem::path& path);
/// What stands at `path` itself (lstat; GetFileAttributesA). Never changes
/// anything.
PathKind hostPathKind(const std::filesystem::path& path);
bool isReadOnlyHostFile(const std::filesystem::path& path);

}  // namespace updater
