#pragma once

// SERIAL.TXT is the only file the program writes. A run that ends in a usage
// error must leave no trace, so the console front end notes the file before
// the run and, when it refuses the run afterwards, puts it back as it was.
//
// Another program may share the working folder and advance the counter
// meanwhile; putting its change back would hand out its numbers again. So
// the file is put back only while it holds what this run wrote, and under
// the counter's lock (jobs/serial_lock.h), like every other write.

#include <filesystem>
#include <optional>
#include <string>

#include "jobs/serial_counter.h"
#include "platform/port.h"

namespace updater {

class SerialFileGuard {
 public:
  /// Notes SERIAL.TXT in `workingDirectory` as it is now (or its absence).
  explicit SerialFileGuard(const std::filesystem::path& workingDirectory);

  /// Puts the file back as noted when the run changed it, that is when it
  /// holds `counter` (the run's counter, what it saved last) in the written
  /// form; the lock is taken and the file written through `port`. Returns
  /// true when the file is as noted; false when it was not put back:
  /// another program holds its lock, the write failed, or it holds
  /// something else, which is left as it is.
  bool restore(Port& port, const SerialCounter& counter) const;

  /// After a refused choice: puts the file back (restore) and gives the
  /// usage error's line, `why`, which then also says when the file could
  /// not be put back.
  std::string restoreAfterRefusal(Port& port, const SerialCounter& counter, std::string why) const;

 private:
  std::filesystem::path directory_;
  std::filesystem::path path_;
  std::optional<std::string> contents_;  // none: there was no file
};

}  // namespace updater
