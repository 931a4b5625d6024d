// updater.exe: the program on the real machine.

#include <windows.h>

#include "platform/win32/win32_port.h"
#include "win32_app/updater_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  updater::Win32Port port;
  updater::UpdaterApp app(instance);
  return app.run(port);
}
