#pragma once

// A fresh empty directory under the system's temporary directory, removed
// with everything in it when the owner goes: a working directory for tests
// that read and write the program's files (Program::workingDirectory).

#include <filesystem>
#include <string>
#include <string_view>

namespace updater {

class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

  /// Creates or replaces the file `name` with exactly `contents` (binary).
  void writeFile(std::string_view name, std::string_view contents) const;
  /// The bytes of `name`; empty when it cannot be read.
  std::string readFile(std::string_view name) const;
  bool exists(std::string_view name) const;
  /// Removes the file or directory `name` if it is there.
  void remove(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace updater
