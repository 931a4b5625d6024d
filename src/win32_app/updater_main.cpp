// updater.exe: the program on the real machine. "/record FILE" saves what
// the program saw of its readers as a machine file that replays the run.

#include <windows.h>

#include <optional>
#include <string>

#include "app/program_switches.h"
#include "platform/win32/win32_port.h"
#include "win32_app/recorded_run.h"
#include "win32_app/updater_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  using namespace updater;
  const std::optional<ProgramSwitches> switches = programSwitches(commandLine, ProgramKind::Updater);
  if (!switches) {
    MessageBoxA(nullptr, std::string(kUpdaterUsage).c_str(), executableBaseName().c_str(), MB_OK | MB_ICONHAND);
    return 2;
  }
  Win32Port port;
  UpdaterApp app(instance);
  if (switches->recordFile) return runRecorded(app, port, *switches->recordFile);
  return app.run(port);
}
