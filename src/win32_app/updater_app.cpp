#include "win32_app/updater_app.h"

#include <commctrl.h>

#include <string>
#include <string_view>

#include "app/program.h"
#include "device/route_registry.h"
#include "win32_app/main_dialog.h"
#include "win32_app/win32_main_view.h"
#include "win32_app/win32_status_view.h"

namespace updater {

std::string executableBaseName() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string_view name(path, length);
  const std::size_t slash = name.find_last_of("\\/:");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

int UpdaterApp::run(Port& port) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  Win32MainView mainView;
  Win32StatusView statusView(instance_);
  Program program(port, mainView, statusView);
  program.applicationName = executableBaseName();
  RouteSet routes(port);

  MainDialog dialog(instance_, program, routes, mainView, jobFinished_);
  return dialog.runModal() == IDOK ? 0 : 1;
}

}  // namespace updater
