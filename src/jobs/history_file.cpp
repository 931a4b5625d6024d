#include "jobs/history_file.h"

#include <mutex>
#include <string>

#include "jobs/durable_write.h"
#include "platform/port_owned.h"

namespace updater {
namespace {

bool appendHistoryLine(Port& port, const std::filesystem::path& directory, const HistoryRecord& record) {
  const AppendFileResult opened = port.openFileForAppend(directory / kHistoryFileName);
  if (!opened.ok) return false;
  UniqueNewFile file(port, opened.file);

  std::string text;
  if (opened.size == 0) {
    text = historyHeaderLine();
  } else if (!opened.endsWithLineBreak) {
    // What a crash cut short stays a line of its own.
    text = "\r\n";
  }
  text += historyLine(record);

  const bool written = writeWhole(port, file.get(), text) && port.flushFile(file.get());
  const bool closed = port.closeFile(file.release());
  return written && closed;
}

// The runs of this program append one at a time without the file lock's
// polls between them: the readers' runs of isp-all end together, and each
// poll would add its length to the runs after it. A run that finds another
// appending pauses through the port, never blocks, so that runs taking turns
// in the port's virtual time hand over as at any pause.
class ProgramsAppend {
 public:
  explicit ProgramsAppend(Port& port) {
    while (!appending().try_lock()) port.sleep(kProgramsAppendPollMs);
  }
  ~ProgramsAppend() { appending().unlock(); }
  ProgramsAppend(const ProgramsAppend&) = delete;
  ProgramsAppend& operator=(const ProgramsAppend&) = delete;

 private:
  static constexpr std::uint32_t kProgramsAppendPollMs = 1;
  static std::mutex& appending() {
    static std::mutex mutex;
    return mutex;
  }
};

}  // namespace

bool appendHistoryRecord(Port& port, const std::filesystem::path& directory, const HistoryRecord& record) {
  const ProgramsAppend turn(port);
  const std::filesystem::path lockPath = directory / kHistoryLockFileName;
  for (std::uint32_t waited = 0;; waited += kHistoryLockPollMs) {
    const FileLockResult taken = port.lockFile(lockPath);
    if (taken.status == FileLockStatus::Locked) {
      const UniqueFileLock lock(port, taken.lock);
      return appendHistoryLine(port, directory, record);
    }
    if (taken.status == FileLockStatus::Failed || waited >= kHistoryLockWaitMs) return false;
    port.sleep(kHistoryLockPollMs);
  }
}

}  // namespace updater
