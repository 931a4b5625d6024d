#include "jobs/serial_lock.h"

#include <array>
#include <cstddef>


namespace updater {
namespace {

constexpr std::array<std::string_view, 3> kMessages{
    "",                                                  // Ok
    "Error!!! SERIAL.TXT is in use by another program",  // InUse
    "Error!!! Can Not Lock SERIAL.TXT.lock",             // CannotLock
};

SerialLockResult resultOf(FileLockStatus status) {
  switch (status) {
    case FileLockStatus::Locked: return SerialLockResult::Ok;
    case FileLockStatus::HeldElsewhere: return SerialLockResult::InUse;
    case FileLockStatus::Failed: return SerialLockResult::CannotLock;
  }
  return SerialLockResult::CannotLock;
}

}  // namespace

std::string_view serialLockMessage(SerialLockResult result) { return kMessages[static_cast<std::size_t>(result)]; }

SerialLock lockSerialFile(Port& port, const std::filesystem::path& directory) {
  const FileLockResult taken = port.lockFile(directory / kSerialLockFileName);
  return {resultOf(taken.status), UniqueFileLock(port, taken.lock)};
}

}  // namespace updater
