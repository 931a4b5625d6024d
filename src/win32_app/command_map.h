#pragma once

// The message map of a dialog: which handler a WM_COMMAND from a control
// runs, as a table of control id, notification code and handler. Commands
// the table does not name go to the dialog defaults.

#include <windows.h>

#include <span>

namespace updater {

template <class Dialog>
struct CommandMapEntry {
  int controlId;
  int notification;  // BN_CLICKED, CBN_SELCHANGE, ...
  void (Dialog::*handler)();
};

/// Runs the handler that `map` gives for WM_COMMAND's `wParam`. Returns
/// false when the map names none.
template <class Dialog>
bool dispatchCommand(Dialog& dialog, std::span<const CommandMapEntry<Dialog>> map, WPARAM wParam) {
  const int controlId = LOWORD(wParam);
  const int notification = HIWORD(wParam);
  for (const auto& entry : map) {
    if (entry.controlId == controlId && entry.notification == notification) {
      (dialog.*entry.handler)();
      return true;
    }
  }
  return false;
}

}  // namespace updater
