#include "device/aspi_binding.h"

#include <string_view>

#include "common/program.h"

namespace updater {
namespace {

void appendLog(Program& program, std::string_view line) {
  program.statusLog += '\n';
  program.statusLog += line;
}

int refuse(Program& program, std::string_view logLine, bool showBox) {
  appendLog(program, logLine);
  if (showBox) program.mainView.messageBox(kNoAspiSupportText, program.applicationName, MessageIcon::None);
  releaseAspi(program);
  return 1;
}

}  // namespace

int startAspiRun(Program& program) {
  if (reloadAspi(program) != kAspiLoaded) {
    return refuse(program, "Load WNASPI32.DLL or Get Function Address Fail!!!", true);
  }
  if (aspiAdapterCount(program) == 0) {
    return refuse(program, "No ASPI for WIN32 support detected!!!", true);
  }
  const DeviceEntry& selected = selectedEntry(program.deviceTable);
  if (confirmAspiDevice(program, selected.aspiAdapter, selected.aspiTarget) != 0) {
    return refuse(program, "ERROR: Access Disk Drive Failed!!!", false);
  }
  return 0;
}

}  // namespace updater
