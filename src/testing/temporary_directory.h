#pragma once

// A fresh, empty directory under the system's temporary directory, removed
// with everything in it when the object goes. Tests point
// Program::workingDirectory at one.

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

  /// Writes `contents` byte for byte to `name` in the directory.
  void writeFile(std::string_view name, std::string_view contents) const;
  /// The bytes of `name` in the directory; empty when it cannot be read.
  std::string readFile(std::string_view name) const;
  bool exists(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace updater
