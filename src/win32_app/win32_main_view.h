#pragma once

// The main window's controls and message boxes as the core drives them, on
// the real dialog. The view exists before the window does: the dialog hands
// it its window when it initialises.

#include <windows.h>

#include "platform/main_view.h"

namespace updater {

class Win32MainView : public MainView {
 public:
  void attach(HWND dialog) { dialog_ = dialog; }

  void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void setControlText(int controlId, std::string_view text) override;
  void resetList(int listId) override;
  void addListItem(int listId, std::string_view text) override;
  void selectListItem(int listId, int index) override;
  std::string selectedListText(int listId, std::size_t maxChars) override;

 private:
  HWND dialog_ = nullptr;
};

}  // namespace updater
