#pragma once

// The program under test, started by the driver. The driver owns the process:
// whatever way the driver ends, a process still running is killed, so that a
// failed run never leaves one behind.

#include <windows.h>

#include <optional>
#include <string>

namespace gui_driver {

class TargetProcess {
 public:
  /// Starts `program` with the command line `arguments` after its name, in
  /// `workdir` (empty: the driver's own). Nothing, with `error` set, when it
  /// cannot be started.
  static std::optional<TargetProcess> start(const std::string& program, const std::string& arguments,
                                            const std::string& workdir, std::string& error);

  ~TargetProcess();
  TargetProcess(TargetProcess&& other) noexcept;
  TargetProcess& operator=(TargetProcess&&) = delete;
  TargetProcess(const TargetProcess&) = delete;
  TargetProcess& operator=(const TargetProcess&) = delete;

  DWORD id() const { return processId_; }
  bool hasExited() const;
  /// Waits up to `milliseconds` for the process to end; true when it did.
  bool waitForExit(DWORD milliseconds) const;
  /// Ends the process if it still runs and waits for it to be gone.
  void kill() const;

 private:
  TargetProcess(HANDLE process, DWORD processId) : process_(process), processId_(processId) {}

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
};

}  // namespace gui_driver
