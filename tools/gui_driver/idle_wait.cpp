#include "idle_wait.h"

#include <thread>

#include "process_windows.h"
#include "window_texts.h"

namespace gui_driver {
namespace {

// Three quiet probes 30 ms apart: a posted click is long taken from the queue
// by then, and a handler between two message boxes does not answer for that long.
constexpr int kQuietProbesNeeded = 3;
constexpr auto kProbeInterval = std::chrono::milliseconds(30);
// A busy thread (a job runs, or the program starts up) just fails the probe.
constexpr UINT kProbeTimeoutMs = 100;

}  // namespace

Settled IdleWait::settle(Clock::time_point deadline, std::string& error) {
  int quietProbes = 0;
  while (Clock::now() < deadline) {
    const ProcessWindows windows = findProcessWindows(process_.id());
    if (windows.main != nullptr) main_ = windows.main;
    if (!windows.messageBoxes.empty()) {
      quietProbes = 0;
      if (!answerBox(windows.messageBoxes.front(), deadline, error)) return Settled::Failed;
      continue;
    }
    if (process_.hasExited()) return Settled::Exited;
    const bool quiet = windows.main != nullptr && !windows.statusVisible && quietProbe();
    quietProbes = quiet ? quietProbes + 1 : 0;
    if (quietProbes >= kQuietProbesNeeded) return Settled::Idle;
    std::this_thread::sleep_for(kProbeInterval);
  }
  error = "timed out waiting for the program";
  return Settled::Failed;
}

bool IdleWait::answerBox(HWND box, Clock::time_point deadline, std::string& error) {
  const auto seen = readMessageBox(box, deadline, error);
  if (!seen) return false;
  onBox_(*seen);
  return dismissMessageBox(box, deadline, error);
}

bool IdleWait::quietProbe() {
  if (!IsWindowVisible(main_)) return false;
  DWORD_PTR ignored = 0;
  if (!sendWithTimeout(main_, WM_NULL, 0, 0, ignored, kProbeTimeoutMs)) return false;
  // The answer may have come from a message box's loop that started after
  // the look for boxes: look again.
  const ProcessWindows after = findProcessWindows(process_.id());
  return after.messageBoxes.empty() && !after.statusVisible;
}

}  // namespace gui_driver
