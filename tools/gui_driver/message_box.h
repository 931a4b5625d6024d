#pragma once

// Reading and answering a message box of the program under test: its caption,
// its text (the static with id 0xFFFF), its icon (from the screen pixels of
// its icon control) and its only button.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace gui_driver {

using Clock = std::chrono::steady_clock;

struct MessageBoxSeen {
  std::string icon;     // "stop", "warning", "information" or "none"
  std::string caption;  // the program's bytes
  std::string text;     // the program's bytes
};

/// Waits until `box` is shown and painted, then reads it. Nothing, with
/// `error` set, when it is not shown or cannot be read before `deadline`.
std::optional<MessageBoxSeen> readMessageBox(HWND box, Clock::time_point deadline, std::string& error);

/// Clicks the box's only button and waits until the box is gone; false with
/// `error` set when it stays until `deadline`.
bool dismissMessageBox(HWND box, Clock::time_point deadline, std::string& error);

/// The icon the box shows, read from the screen (the box must be painted).
std::string readIcon(HWND box);

}  // namespace gui_driver
