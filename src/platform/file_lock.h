#pragma once

// The host's exclusive file lock, the one every port's lockFile and
// unlockFile hand on to: the system releases it when the process ends, even
// when it is killed, so a crashed station never leaves its lock behind. The
// build picks the backend (file_lock_posix.cpp or file_lock_win32.cpp).
//
// The lock belongs to one open of the file, not to the process: a second
// lock on the same file from the same process is refused like one from
// another process, which is what lets one test process play two stations.

#include <filesystem>

#include "platform/port.h"

namespace updater {

/// Opens `path` (creating it empty when missing) and locks it exclusively
/// without waiting; the contract of Port::lockFile. Only a regular file is
/// locked: a link at `path` is not followed (so nothing is made where it
/// points), and a link, directory, FIFO or device there fails the lock.
FileLockResult lockHostFile(const std::filesystem::path& path);

/// Releases a lock of lockHostFile and closes its file; the contract of
/// Port::unlockFile. False for FileLockValue::None.
bool unlockHostFile(FileLockValue lock);

}  // namespace updater
