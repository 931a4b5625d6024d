#pragma once

// The main window as the core drives it: message boxes now, the controls of
// the dialog as the operator commands come. A backend shows them on real
// controls (win32) or records them (sim).

#include <string>
#include <string_view>

namespace updater {

/// The icon of a message box; every box has one OK button.
enum class MessageIcon {
  None,         // MB_OK alone
  Stop,         // MB_ICONHAND
  Warning,      // MB_ICONEXCLAMATION
  Information,  // MB_ICONINFORMATION
};

class MainView {
 public:
  virtual ~MainView() = default;

  /// Shows a modal message box and returns once the operator pressed OK.
  virtual void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) = 0;

  /// Replaces the whole text of one control of the window (SetDlgItemText):
  /// the report area (1021), the device-name field (1024) or the driver label
  /// (1028).
  virtual void setControlText(int controlId, std::string_view text) = 0;

  // The two drop-down lists, "Device Sel" (1030) and "Driver Select" (1027).
  // Both sort their items as the platform's sorted combo box does.

  /// Empties the list (CB_RESETCONTENT).
  virtual void resetList(int listId) = 0;
  /// Adds an item at its sorted place (CB_ADDSTRING).
  virtual void addListItem(int listId, std::string_view text) = 0;
  /// Selects the item at `index`; an index past the items selects nothing
  /// (CB_SETCURSEL).
  virtual void selectListItem(int listId, int index) = 0;
  /// The text of the selected item, at most `maxChars` characters; empty
  /// when nothing is selected (GetDlgItemText on the list).
  virtual std::string selectedListText(int listId, std::size_t maxChars) = 0;
};

}  // namespace updater
