#pragma once

// Two stations that share one working folder (a network share is common on
// a line) share one SERIAL.TXT. A job that advances the counter holds an
// exclusive lock from the counter's load to its save, so that no other
// program hands out the same number meanwhile; one that finds the lock held
// fails before anything is sent.
//
// The lock is taken on a companion file beside SERIAL.TXT, never on
// SERIAL.TXT itself: saving replaces SERIAL.TXT by a rename, which would
// leave a lock on the old file behind, and on Windows a locked file cannot
// be read by the very job that holds the lock through another open. The
// companion file stays in the folder, empty; nothing reads it.

#include <filesystem>
#include <string_view>

#include "platform/port_owned.h"

namespace updater {

inline constexpr std::string_view kSerialLockFileName = "SERIAL.TXT.lock";

enum class SerialLockResult { Ok, InUse, CannotLock };

/// The operator's text for a result: empty for Ok.
std::string_view serialLockMessage(SerialLockResult result);

struct SerialLock {
  SerialLockResult result = SerialLockResult::CannotLock;
  /// Held when the result is Ok: released when it goes.
  UniqueFileLock lock;
};

/// Locks SERIAL.TXT of `directory` through `port`,
/// without waiting: InUse when another program (or another lock of this one)
/// holds it, CannotLock when the companion file cannot be created or locked
/// for another reason.
SerialLock lockSerialFile(Port& port, const std::filesystem::path& directory);

}  // namespace updater
