#include "cli/serial_file_guard.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "common/program.h"
#include "jobs/serial_counter.h"
#include "jobs/serial_lock.h"
#include "platform/durable_file.h"

namespace updater {
namespace {

std::optional<std::string> readWhole(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

SerialFileGuard::SerialFileGuard(const std::filesystem::path& workingDirectory)
    : path_(workingDirectory / kSerialFileName), contents_(readWhole(path_)) {}

bool SerialFileGuard::restore(Program& program) const {
  if (readWhole(path_) == contents_) return true;
  const SerialLock lock = lockSerialFile(program);
  if (lock.result != SerialLockResult::Ok) return false;
  // Read again under the lock: only now can no other program change it.
  const std::optional<std::string> now = readWhole(path_);
  if (now == contents_) return true;
  if (now != serialCounterText(program.serialCounter)) return false;
  if (!contents_) {
    std::error_code error;
    std::filesystem::remove(path_, error);
    return !error;
  }
  return writeFileToDisk(path_, *contents_);
}

}  // namespace updater
