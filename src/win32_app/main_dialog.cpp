#include "win32_app/main_dialog.h"

#include <utility>

#include "app/control_ids.h"
#include "app/load_user_isp_data.h"
#include "app/main_window.h"
#include "app/operator_commands.h"
#include "app/program.h"
#include "device/route_registry.h"
#include "win32_app/resource_ids.h"
#include "win32_app/win32_main_view.h"

namespace updater {
std::span<const CommandMapEntry<MainDialog>> MainDialog::commandMap() {
  static constexpr CommandMapEntry<MainDialog> kMap[] = {
      {control::kCloseButton, BN_CLICKED, &MainDialog::closeClicked},
      {control::kDriverList, CBN_SELCHANGE, &MainDialog::driverSelectChanged},
      {control::kSelfDriverBox, BN_CLICKED, &MainDialog::selfDriverClicked},
      {control::kGetInfoButton, BN_CLICKED, &MainDialog::getInfoClicked},
      {control::kIspEnableBox, BN_CLICKED, &MainDialog::ispEnableClicked},
      {control::kIspButton, BN_CLICKED, &MainDialog::ispClicked},
      {control::kVerifyButton, BN_CLICKED, &MainDialog::verifyClicked},
      {control::kDeviceList, CBN_SELCHANGE, &MainDialog::deviceSelectChanged},
      {control::kUserIspInfoButton, BN_CLICKED, &MainDialog::userIspInfoClicked},
      {control::kMsModeBox, BN_CLICKED, &MainDialog::msModeClicked},
      // The dialog defaults: Enter and the close box or Escape end the
      // window without releasing the route.
      {IDOK, BN_CLICKED, &MainDialog::okPressed},
      {IDCANCEL, BN_CLICKED, &MainDialog::cancelPressed},
  };
  return kMap;
}

MainDialog::MainDialog(HINSTANCE instance, Program& program, RouteSet& routes, Win32MainView& view,
                       std::function<void()> jobFinished)
    : instance_(instance),
      program_(program),
      routes_(routes),
      view_(view),
      jobFinished_(std::move(jobFinished)),
      icon_(LoadIconA(instance, MAKEINTRESOURCEA(UPDATER_ICON))) {}

MainDialog::~MainDialog() {
  if (icon_ != nullptr) DestroyIcon(icon_);
}

INT_PTR MainDialog::runModal() {
  return DialogBoxParamA(instance_, MAKEINTRESOURCEA(UPDATER_MAIN_DIALOG), nullptr, dialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<MainDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->window_ = window;
    dialog->view_.attach(window);
    return dialog->initialise();
  }
  auto* dialog = reinterpret_cast<MainDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  return dialog->handle(message, wParam, lParam);
}

INT_PTR MainDialog::handle(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      return dispatchCommand(*this, commandMap(), wParam) ? TRUE : FALSE;
    case WM_PAINT:
      return paintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(icon_));
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL MainDialog::initialise() {
  if (!initialiseMainWindow(program_, routes_)) {
    EndDialog(window_, IDCANCEL);
    return FALSE;
  }
  SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  finishJob();
  return TRUE;
}

bool MainDialog::paintMinimised() {
  if (!IsIconic(window_)) return false;
  PAINTSTRUCT paint{};
  const HDC dc = BeginPaint(window_, &paint);
  SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(window_, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon_);
  EndPaint(window_, &paint);
  return true;
}

void MainDialog::finishJob() {
  if (jobFinished_) jobFinished_();
}

void MainDialog::closeClicked() {
  closeMainWindow(program_, routes_);
  EndDialog(window_, IDOK);
}

void MainDialog::okPressed() { EndDialog(window_, IDOK); }
void MainDialog::cancelPressed() { EndDialog(window_, IDCANCEL); }

void MainDialog::driverSelectChanged() { updater::driverSelectChanged(program_, routes_); }
void MainDialog::selfDriverClicked() { updater::selfDriverClicked(program_); }
void MainDialog::getInfoClicked() {
  getInfo(program_, routes_);
  finishJob();
}
void MainDialog::ispEnableClicked() { updater::ispEnableClicked(program_); }
void MainDialog::ispClicked() {
  ispCommand(program_, routes_);
  finishJob();
}
void MainDialog::verifyClicked() {
  verifyCommand(program_, routes_);
  finishJob();
}
void MainDialog::deviceSelectChanged() { updater::deviceSelectChanged(program_); }
void MainDialog::userIspInfoClicked() { updater::userIspInfoClicked(program_); }
void MainDialog::msModeClicked() { updater::msModeClicked(program_); }

}  // namespace updater
