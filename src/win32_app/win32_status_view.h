#pragma once

// The status window ("PROCESS STATUS DIALOG") on the real platform: a
// modeless dialog from template 131 with no owner, created hidden, with the
// program's own progress bar (333) placed over the template's bar (1015).
//
// While a job runs the user-interface thread pumps no messages, so every
// change repaints its control at once (UpdateWindow); otherwise the window
// would show nothing until the job is over.

#include <windows.h>

#include "platform/status_view.h"

namespace updater {

class Win32StatusView : public StatusView {
 public:
  explicit Win32StatusView(HINSTANCE instance) : instance_(instance) {}
  ~Win32StatusView() override { destroy(); }
  Win32StatusView(const Win32StatusView&) = delete;
  Win32StatusView& operator=(const Win32StatusView&) = delete;

  void create() override;
  void destroy() override;
  void show() override;
  void hide() override;
  void setRange(std::uint16_t low, std::uint16_t high) override;
  void setStep(int step) override;
  void stepIt() override;
  void showText(std::string_view text) override;
  void showLabel(std::string_view text) override;

  /// The window while one exists (for screenshots and tests); null otherwise.
  HWND window() const { return window_; }

 private:
  static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void setItemText(int controlId, std::string_view text);
  void sendToBar(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  HWND window_ = nullptr;
};

}  // namespace updater
