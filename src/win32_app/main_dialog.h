#pragma once

// The main window (dialog 102), run modally: its initialisation runs the
// program's start-up, its message map sends each button, check box and list
// change to the operator command behind it, and it draws the application
// icon when minimised. The modal dialog is the program's only loop.

#include <windows.h>

#include <functional>
#include <span>

#include "win32_app/command_map.h"

namespace updater {

struct Program;
class RouteSet;
class Win32MainView;

class MainDialog {
 public:
  /// `jobFinished`, when set, runs after the start-up's scan and after
  /// every GetInfo, ISP and verify run.
  MainDialog(HINSTANCE instance, Program& program, RouteSet& routes, Win32MainView& view,
             std::function<void()> jobFinished = {});
  ~MainDialog();
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;

  /// Shows the window and returns when it has ended: IDOK after "Close",
  /// IDCANCEL after the close box or Escape, or when the program refused to
  /// run on this Windows.
  INT_PTR runModal();

 private:
  static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL initialise();
  bool paintMinimised();
  void finishJob();

  // Handlers of the message map.
  void closeClicked();
  void driverSelectChanged();
  void selfDriverClicked();
  void getInfoClicked();
  void ispEnableClicked();
  void ispClicked();
  void verifyClicked();
  void deviceSelectChanged();
  void userIspInfoClicked();
  void msModeClicked();
  void okPressed();
  void cancelPressed();

  static std::span<const CommandMapEntry<MainDialog>> commandMap();

  HINSTANCE instance_;
  Program& program_;
  RouteSet& routes_;
  Win32MainView& view_;
  std::function<void()> jobFinished_;
  HICON icon_;
  HWND window_ = nullptr;
};

}  // namespace updater
