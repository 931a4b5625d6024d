#pragma once

// A port whose file locks and written files are the host's own
// (platform/file_lock.h, platform/host_file.h): every port of a real
// computer, and the benchmarks' quiet one. A port derives from it and gives
// the device, registry and module calls.

#include "platform/file_lock.h"
#include "platform/host_file.h"
#include "platform/port.h"

namespace updater {

class HostFilePort : public Port {
 public:
  FileLockResult lockFile(const std::filesystem::path& path) override { return lockHostFile(path); }
  bool unlockFile(FileLockValue lock) override { return unlockHostFile(lock); }

  NewFileResult createNewFile(const std::filesystem::path& path) override { return createNewHostFile(path); }
  AppendFileResult openFileForAppend(const std::filesystem::path& path) override {
    return openHostFileForAppend(path);
  }
  FileWriteResult writeFile(NewFileValue file, std::string_view data) override { return writeHostFile(file, data); }
  bool flushFile(NewFileValue file) override { return flushHostFile(file); }
  bool closeFile(NewFileValue file) override { return closeHostFile(file); }
  bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return renameHostFile(from, to);
  }
  bool removeFile(const std::filesystem::path& path) override { return removeHostFile(path); }
  bool isReadOnlyFile(const std::filesystem::path& path) override { return isReadOnlyHostFile(path); }
};

}  // namespace updater
