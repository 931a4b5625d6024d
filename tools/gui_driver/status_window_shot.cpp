#include "status_window_shot.h"

#include <chrono>

#include "process_windows.h"
#include "screen_capture.h"
#include "window_texts.h"

namespace gui_driver {
namespace {

constexpr int kLabelId = 1014;
// The label's caption in the window template, before a job names itself.
constexpr const char* kTemplateLabel = "Static";
constexpr auto kPollInterval = std::chrono::milliseconds(1);

// Shown, and the job has written its label (with UpdateWindow), so the
// window shows the job's content rather than the template's.
bool showsAJob(const ProcessWindows& windows) {
  if (!windows.statusVisible) return false;
  const HWND label = GetDlgItem(windows.status, kLabelId);
  return label != nullptr && storedWindowText(label) != kTemplateLabel;
}

}  // namespace

StatusWindowShot::StatusWindowShot(DWORD processId, std::string path)
    : processId_(processId), path_(std::move(path)), watcher_([this] { watch(); }) {}

StatusWindowShot::~StatusWindowShot() {
  stop_ = true;
  if (watcher_.joinable()) watcher_.join();
}

void StatusWindowShot::watch() {
  while (!stop_) {
    const ProcessWindows windows = findProcessWindows(processId_);
    if (showsAJob(windows)) {
      const auto image = captureWindow(windows.status);
      if (image && saveBmp(*image, path_, error_)) {
        taken_ = true;
        return;
      }
    }
    std::this_thread::sleep_for(kPollInterval);
  }
}

bool StatusWindowShot::finish(std::string& error) {
  stop_ = true;
  if (watcher_.joinable()) watcher_.join();
  if (!taken_) error = error_.empty() ? "the status window was never seen" : error_;
  return taken_;
}

}  // namespace gui_driver
