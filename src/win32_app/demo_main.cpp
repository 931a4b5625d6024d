// updater-demo.exe: the program's windows on the simulated machine that
// machine.json in the working directory describes (or the machine file that
// "/machine FILE" names; "/record FILE" records as updater.exe does, so the
// Windows side of a recording is tested here), so that an operator can
// rehearse a production set-up (DEVICE.TXT, SERIAL.TXT, images) without a
// reader. The program's pauses are real here, as on a real machine, so the
// status window shows each job as it goes.

#include <windows.h>

#include "platform/sim/demo_command_line.h"
#include "platform/sim/machine_file.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/transcript.h"
#include "win32_app/recorded_run.h"
#include "win32_app/updater_app.h"

namespace updater {
namespace {

class PacedSimMachine : public SimMachine {
 public:
  using SimMachine::SimMachine;

  void sleep(std::uint32_t milliseconds) override {
    SimMachine::sleep(milliseconds);
    Sleep(milliseconds);
  }
};

}  // namespace
}  // namespace updater

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  using namespace updater;
  const std::optional<ProgramSwitches> switches = demoSwitches(commandLine);
  if (!switches) {
    MessageBoxA(nullptr, std::string(kDemoUsage).c_str(), executableBaseName().c_str(), MB_OK | MB_ICONHAND);
    return 2;
  }
  const MachineFileResult machineFile = loadMachineFile(*switches->machineFile);
  if (!machineFile.machine) {
    MessageBoxA(nullptr, machineFile.error.c_str(), executableBaseName().c_str(), MB_OK | MB_ICONHAND);
    return 2;
  }
  Transcript transcript;
  transcript.keepTrace = false;
  PacedSimMachine machine(transcript, *machineFile.machine);
  UpdaterApp app(instance);
  if (switches->recordFile) return runRecorded(app, machine, *switches->recordFile);
  return app.run(machine);
}
