#include "win32_app/win32_status_view.h"

#include <commctrl.h>

#include <string>

#include "win32_app/resource_ids.h"

namespace updater {
namespace {

/// Creates the driven bar exactly over the template's bar, position 0.
void placeDrivenBar(HWND dialog) {
  RECT place{};
  GetWindowRect(GetDlgItem(dialog, UPDATER_STATUS_BAR_PLACE), &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  const HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, place.left, place.top, place.right - place.left,
                                   place.bottom - place.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(UPDATER_STATUS_BAR)),
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)), nullptr);
  SendMessageA(bar, PBM_SETPOS, 0, 0);
  ShowWindow(bar, SW_SHOW);
}

}  // namespace

INT_PTR CALLBACK Win32StatusView::dialogProc(HWND window, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  placeDrivenBar(window);
  return TRUE;
}

void Win32StatusView::create() {
  destroy();
  window_ = CreateDialogParamA(instance_, MAKEINTRESOURCEA(UPDATER_STATUS_DIALOG), nullptr, dialogProc, 0);
}

void Win32StatusView::destroy() {
  if (window_ == nullptr) return;
  DestroyWindow(window_);
  window_ = nullptr;
}

void Win32StatusView::show() {
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

void Win32StatusView::hide() {
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

void Win32StatusView::setRange(std::uint16_t low, std::uint16_t high) { sendToBar(PBM_SETRANGE, 0, MAKELPARAM(low, high)); }

void Win32StatusView::setStep(int step) { sendToBar(PBM_SETSTEP, static_cast<WPARAM>(step), 0); }

void Win32StatusView::stepIt() { sendToBar(PBM_STEPIT, 0, 0); }

void Win32StatusView::showText(std::string_view text) { setItemText(UPDATER_STATUS_TEXT, text); }

void Win32StatusView::showLabel(std::string_view text) { setItemText(UPDATER_STATUS_LABEL, text); }

void Win32StatusView::setItemText(int controlId, std::string_view text) {
  if (window_ == nullptr) return;
  SetDlgItemTextA(window_, controlId, std::string(text).c_str());
  UpdateWindow(GetDlgItem(window_, controlId));
}

void Win32StatusView::sendToBar(UINT message, WPARAM wParam, LPARAM lParam) {
  if (window_ == nullptr) return;
  const HWND bar = GetDlgItem(window_, UPDATER_STATUS_BAR);
  SendMessageA(bar, message, wParam, lParam);
  UpdateWindow(bar);
}

}  // namespace updater
