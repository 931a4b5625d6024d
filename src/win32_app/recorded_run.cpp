#include "win32_app/recorded_run.h"

#include <windows.h>

#include "app/recording_save.h"
#include "device/recording/recording_port.h"

namespace updater {
namespace {

/// Saves the recording; a failure gets a stop box, so the operator knows
/// the run is not being kept.
bool saveOrTell(RecordingPort& recorder, const std::string& file) {
  if (saveRecording(recorder, file)) return true;
  MessageBoxA(nullptr, recordingNotSavedText(file).c_str(), executableBaseName().c_str(), MB_OK | MB_ICONHAND);
  return false;
}

}  // namespace

int runRecorded(UpdaterApp& app, Port& port, const std::string& file) {
  RecordingPort recorder(port);
  if (!saveOrTell(recorder, file)) return 2;
  app.afterEachJob([&recorder, &file] { saveOrTell(recorder, file); });
  const int status = app.run(recorder);
  saveOrTell(recorder, file);
  return status;
}

}  // namespace updater
