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

}  // namespace gui_driver
