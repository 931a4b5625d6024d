#include "jobs/history_file.h"

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

}  // namespace

bool appendHistoryRecord(Port& port, const std::filesystem::path& directory, const HistoryRecord& record) {
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
