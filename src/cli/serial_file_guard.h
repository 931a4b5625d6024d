#pragma once

// SERIAL.TXT is the only file the program writes. A run that ends in a usage
// error must leave no trace, so the console front end notes the file before
// the run and, when it refuses the run afterwards, puts it back as it was.

#include <filesystem>
#include <optional>
#include <string>

namespace updater {

class SerialFileGuard {
 public:
  /// Notes SERIAL.TXT in `workingDirectory` as it is now (or its absence).
  explicit SerialFileGuard(const std::filesystem::path& workingDirectory);

  /// Puts the file back as noted, if the run changed it. Returns false when
  /// that failed.
  bool restore() const;

 private:
  std::filesystem::path path_;
  std::optional<std::string> contents_;  // none: there was no file
};

}  // namespace updater
