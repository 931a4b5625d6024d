#pragma once

// Reading the texts of another process's windows. Each read is a message to
// the window's thread, which answers only while it runs a message loop, so
// every read has a timeout and can fail.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui_driver {

/// How long one read may wait for the window's thread.
constexpr UINT kReadTimeoutMs = 2000;

/// The window's text as the program's bytes (WM_GETTEXT), or nothing when its
/// thread did not answer.
std::optional<std::string> readWindowText(HWND window);

/// The text of child `id` of `dialog`; nothing when there is no such child or
/// it did not answer.
std::optional<std::string> readControlText(HWND dialog, int id);

/// The program's text in child `id` of `dialog`: as read, except that a
/// multi-line edit control's "\r\n" line breaks, which the program widens
/// its "\n" into for that control, are narrowed back.
std::optional<std::string> readProgramText(HWND dialog, int id);

/// The text the system keeps for a window (GetWindowText). For another
/// process's window it asks no thread, so it also works while the program is
/// busy; but an edit control's text is not there.
std::string storedWindowText(HWND window);

/// The window's class name.
std::string className(HWND window);

/// The items of a combo box in list order and its selection (-1 for none).
struct ListState {
  std::vector<std::string> items;
  int selected = -1;
};
std::optional<ListState> readList(HWND combo);

/// SendMessageTimeout with the read timeout: true when the thread answered.
bool sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result,
                     UINT timeoutMs = kReadTimeoutMs);

}  // namespace gui_driver
