#pragma once

// The top-level dialog windows of the program under test, sorted into the
// main window, the status window and message boxes. All three are of the
// dialog class "#32770"; the two windows of the program are told apart by
// their captions, which the system keeps and answers without the program's
// thread, and every other dialog of the process is a message box.

#include <windows.h>

#include <vector>

namespace gui_driver {

extern const char* const kMainCaption;
extern const char* const kStatusCaption;

struct ProcessWindows {
  HWND main = nullptr;
  HWND status = nullptr;           // the visible one, else any
  bool statusVisible = false;      // any status window visible
  std::vector<HWND> messageBoxes;  // visible or not: a box may not be shown yet
};

/// The dialogs of process `processId` as they are now.
ProcessWindows findProcessWindows(DWORD processId);

/// Whether a process other than `processId` shows a status window now: a
/// job of another program is under way.
bool statusShownElsewhere(DWORD processId);

/// Whether every program but process `processId` is idle: none shows a
/// status window, and the main window of each answers a message at once.
/// A job runs in the main window's thread, which answers nothing until the
/// job has let go of what it holds and shows its boxes or returns.
bool othersIdle(DWORD processId);

}  // namespace gui_driver
