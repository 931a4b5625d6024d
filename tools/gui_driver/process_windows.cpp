#include "process_windows.h"

#include <string>

#include "window_texts.h"

namespace gui_driver {

const char* const kMainCaption = "[KELVARO] USB Device upgrade F/W  AP  Version 4.4";
const char* const kStatusCaption = "PROCESS STATUS DIALOG";

namespace {

struct Search {
  DWORD processId;
  ProcessWindows found;
};

void sortWindow(HWND window, ProcessWindows& found) {
  const std::string caption = storedWindowText(window);
  if (caption == kMainCaption) {
    found.main = window;
  } else if (caption == kStatusCaption) {
    // A job may leave its hidden window behind and the next one create
    // another; only whether one is visible matters.
    const bool visible = IsWindowVisible(window) != 0;
    if (visible || !found.statusVisible) found.status = window;
    found.statusVisible = found.statusVisible || visible;
  } else {
    found.messageBoxes.push_back(window);
  }
}

// A message to another program's main window that its thread does not take
// within this time finds it busy.
constexpr UINT kAnswerTimeoutMs = 100;

bool answersAtOnce(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &ignored) != 0;
}

struct OthersSearch {
  DWORD processId;
  bool checkAnswers;  // also ask each main window
  bool busy = false;
};

BOOL CALLBACK visitOtherWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<OthersSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId || className(window) != "#32770") return TRUE;
  const std::string caption = storedWindowText(window);
  if (caption == kStatusCaption && IsWindowVisible(window) != 0) search.busy = true;
  if (caption == kMainCaption && search.checkAnswers && !answersAtOnce(window)) search.busy = true;
  return search.busy ? FALSE : TRUE;
}

bool othersBusy(DWORD processId, bool checkAnswers) {
  OthersSearch search{processId, checkAnswers};
  EnumWindows(visitOtherWindow, reinterpret_cast<LPARAM>(&search));
  return search.busy;
}

BOOL CALLBACK visitWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId && className(window) == "#32770") sortWindow(window, search.found);
  return TRUE;
}

}  // namespace

ProcessWindows findProcessWindows(DWORD processId) {
  Search search{processId, {}};
  EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool statusShownElsewhere(DWORD processId) { return othersBusy(processId, false); }

bool othersIdle(DWORD processId) { return !othersBusy(processId, true); }

}  // namespace gui_driver
