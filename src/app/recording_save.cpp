#include "app/recording_save.h"

#include "device/recording/recording_text.h"
#include "jobs/file_replacement.h"

namespace updater {

bool saveRecording(RecordingPort& recorder, const std::filesystem::path& file) {
  return replaceFile(recorder, file, recordingFileText(recorder.recording()));
}

std::string recordingNotSavedText(std::string_view file) {
  return "Error!!! Cannot write the recording [" + std::string(file) + "]";
}

}  // namespace updater
