#include "status_window_shot.h"

#include <chrono>
#include <optional>

#include "process_windows.h"
#include "screen_capture.h"

namespace gui_driver {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(1);

}  // namespace

StatusWindowShot::StatusWindowShot(DWORD processId, std::string path)
    : processId_(processId), path_(std::move(path)), watcher_([this] { watch(); }) {}

StatusWindowShot::~StatusWindowShot() {
  stop_ = true;
  if (watcher_.joinable()) watcher_.join();
}

void StatusWindowShot::watch() {
  std::optional<ScreenImage> lastShown;
  while (!stop_) {
    const ProcessWindows windows = findProcessWindows(processId_);
    if (!windows.statusVisible && lastShown) break;
    if (windows.statusVisible) {
      auto image = captureWindow(windows.status);
      // A copy that the hiding overtook may show the windows behind.
      if (image && IsWindowVisible(windows.status)) lastShown = std::move(image);
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  if (lastShown) taken_ = saveBmp(*lastShown, path_, error_);
}

bool StatusWindowShot::finish(std::string& error) {
  stop_ = true;
  if (watcher_.joinable()) watcher_.join();
  if (!taken_) error = error_.empty() ? "the status window was never seen" : error_;
  return taken_;
}

}  // namespace gui_driver
