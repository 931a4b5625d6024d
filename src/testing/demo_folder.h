#pragma once

// A working folder holding the demo's files (examples/demo), as
// ./scripts/run sets it up. Each run of a test gets its own, since an ISP
// run advances SERIAL.TXT. Header only: the test target names the demo's
// folder (UPDATER_DEMO_DIR).

#include <filesystem>
#include <string>

#include "testing/temporary_directory.h"

namespace updater {

inline const std::filesystem::path kDemoDirectory = UPDATER_DEMO_DIR;

struct DemoFolder {
  DemoFolder() {
    for (const auto& entry : std::filesystem::directory_iterator(kDemoDirectory)) {
      std::filesystem::copy_file(entry.path(), directory.path() / entry.path().filename());
    }
  }
  std::string path() const { return directory.path().string(); }

  TemporaryDirectory directory;
};

}  // namespace updater
