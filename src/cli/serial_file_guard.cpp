#include "cli/serial_file_guard.h"

#include <fstream>
#include <iterator>

#include "common/plain_file.h"
#include "jobs/file_replacement.h"
#include "jobs/serial_counter.h"
#include "jobs/serial_lock.h"

namespace updater {
namespace {

// Only a plain file within the counter's limit is noted: anything else at
// that name the program refuses to load, so no run changes it.
std::optional<std::string> readWhole(const std::filesystem::path& path) {
  if (checkPlainFile(path, kSerialFileMaxBytes) != PlainFileCheck::Readable) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

SerialFileGuard::SerialFileGuard(const std::filesystem::path& workingDirectory)
    : directory_(workingDirectory), path_(workingDirectory / kSerialFileName), contents_(readWhole(path_)) {}

bool SerialFileGuard::restore(Port& port, const SerialCounter& counter) const {
  if (readWhole(path_) == contents_) return true;
  const SerialLock lock = lockSerialFile(port, directory_);
  if (lock.result != SerialLockResult::Ok) return false;
  // Read again under the lock: only now can no other program change it.
  const std::optional<std::string> now = readWhole(path_);
  if (now == contents_) return true;
  if (now != serialCounterText(counter)) return false;
  if (!contents_) return port.removeFile(path_);
  // Through the staging file, as a save goes: a crash now leaves either
  // counter whole, never a part of one.
  return replaceFile(port, path_, *contents_);
}

std::string SerialFileGuard::restoreAfterRefusal(Port& port, const SerialCounter& counter, std::string why) const {
  if (!restore(port, counter)) why += "; SERIAL.TXT could not be put back as it was";
  return why;
}

}  // namespace updater
