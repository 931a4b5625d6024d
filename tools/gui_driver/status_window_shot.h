#pragma once

// Takes one picture of the status window while the first job shows it. The
// job runs without pumping messages and may take only a moment on a simulated
// machine, so a thread of its own polls for the window as fast as it can,
// apart from the driver's wait for the program. It copies the window again and
// again while it is shown and keeps the last copy made before the job hid it,
// which shows the job's log and progress rather than the template's texts.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace gui_driver {

class StatusWindowShot {
 public:
  /// Starts watching process `processId`; the picture goes to `path`.
  StatusWindowShot(DWORD processId, std::string path);
  /// Stops watching.
  ~StatusWindowShot();
  StatusWindowShot(const StatusWindowShot&) = delete;
  StatusWindowShot& operator=(const StatusWindowShot&) = delete;

  /// Stops watching; true when the picture was written, else `error` says why.
  bool finish(std::string& error);

 private:
  void watch();

  DWORD processId_;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> taken_{false};
  std::string error_;
  std::thread watcher_;
};

}  // namespace gui_driver
