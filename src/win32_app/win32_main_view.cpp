#include "win32_app/win32_main_view.h"

#include <string>
#include <vector>

#include "app/control_ids.h"
#include "platform/edit_control_text.h"

namespace updater {
namespace {

UINT iconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop:
      return MB_ICONHAND;
    case MessageIcon::Warning:
      return MB_ICONEXCLAMATION;
    case MessageIcon::Information:
      return MB_ICONINFORMATION;
    case MessageIcon::None:
      break;
  }
  return 0;
}

/// Window texts end at their first NUL; the program's texts never hold one
/// that matters, but a std::string_view need not be terminated.
std::string terminated(std::string_view text) { return std::string(text); }

}  // namespace

void Win32MainView::messageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  MessageBoxA(dialog_, terminated(text).c_str(), terminated(caption).c_str(), MB_OK | iconStyle(icon));
}

void Win32MainView::setControlText(int controlId, std::string_view text) {
  // The report area is a multi-line edit control, which breaks lines at
  // "\r\n" only.
  const std::string shown = controlId == control::kReportArea ? toEditControlText(text) : terminated(text);
  SetDlgItemTextA(dialog_, controlId, shown.c_str());
}

void Win32MainView::resetList(int listId) { SendDlgItemMessageA(dialog_, listId, CB_RESETCONTENT, 0, 0); }

void Win32MainView::addListItem(int listId, std::string_view text) {
  const std::string item = terminated(text);
  SendDlgItemMessageA(dialog_, listId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void Win32MainView::selectListItem(int listId, int index) {
  SendDlgItemMessageA(dialog_, listId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string Win32MainView::selectedListText(int listId, std::size_t maxChars) {
  std::vector<char> buffer(maxChars + 1, '\0');
  const UINT copied = GetDlgItemTextA(dialog_, listId, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), copied);
}

}  // namespace updater
