// What updater.exe /record saves, made on the simulated machine: the
// program's jobs run over the recording port, the recording is written by
// the Windows program's own writer, read back by the machine-file reader,
// and the same actions replayed on it must show exactly what the recorded
// run showed, with no violation.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/recording_save.h"
#include "cli/cli_session.h"
#include "cli/transcript_output.h"
#include "device/recording/recording_port.h"
#include "device/recording/recording_text.h"
#include "platform/sim/machine_file.h"
#include "platform/sim/machine_recording.h"
#include "platform/sim/sim_machine.h"
#include "testing/demo_folder.h"
#include "testing/temporary_directory.h"
#include "testing/session_print.h"

namespace updater {
namespace {

const std::vector<CliAction> kJobs = {{ActionKind::GetInfo, "getinfo", ""},
                                      {ActionKind::IspEnable, "ispena", ""},
                                      {ActionKind::Isp, "isp", ""},
                                      {ActionKind::Verify, "verify", ""},
                                      {ActionKind::Close, "close", ""}};

MachineDescription demoMachine() {
  const MachineFileResult file = loadMachineFile(kDemoDirectory / "machine.json");
  EXPECT_TRUE(file.machine.has_value()) << file.error;
  return file.machine.value_or(MachineDescription{});
}

/// The transcript as `updater-cli --json --trace` prints it.
std::string transcriptText(const Transcript& transcript, const CliSession& session, std::size_t openHandles) {
  std::ostringstream out;
  std::ostringstream err;
  TranscriptOutput output({out, err, false}, true, false);
  for (const auto& event : transcript.events()) output.write(event);
  output.end(summariseRun(session.program, openHandles));
  return out.str();
}

/// A run of `actions` on `description` in the folder `folder`, with the
/// port the program sees wrapped in a recording port.
struct RecordedRun {
  RecordedRun(const MachineDescription& description, const DemoFolder& folder, const std::vector<CliAction>& actions)
      : machine(transcript, description), recorder(machine) {
    machine.recordSessions();
    CliSession session(recorder, transcript, folder.path());
    runSession(session, actions);
    text = transcriptText(transcript, session, machine.openHandleCount());
    recording = recorder.recording();
  }

  Transcript transcript;
  SimMachine machine;
  RecordingPort recorder;
  std::string text;
  RecordedMachine recording;
};

MachineDescription readBack(const RecordedMachine& recording) {
  const MachineFileResult file = parseMachineFile(recordingFileText(recording), ".");
  EXPECT_TRUE(file.machine.has_value()) << file.error;
  return file.machine.value_or(MachineDescription{});
}

std::size_t violationCount(const Transcript& transcript) { return transcript.ofKind(EventKind::Violation).size(); }

TEST(WindowsRecording, TheJobsReplayFromTheRecordingExactlyAsTheyRan) {
  const DemoFolder recordedFolder;
  RecordedRun recorded(demoMachine(), recordedFolder, kJobs);
  ASSERT_NE(recorded.text.find("\"success\":1"), std::string::npos) << "the ISP run succeeded";
  EXPECT_EQ(violationCount(recorded.transcript), 0u);

  // The port saw what the simulated reader itself wrote down.
  ASSERT_EQ(recorded.recording.readers.size(), 1u);
  EXPECT_EQ(recorded.recording.readers[0].letters, "EF");
  EXPECT_EQ(recorded.recording.drives, "C");
  const MachineDescription simRecording = recordedMachine(recorded.machine);
  EXPECT_EQ(recorded.recording.readers[0].session, simRecording.readers[0].session.value_or(ReaderSession{}));

  // Saved as updater.exe saves it, through the port's file calls.
  const TemporaryDirectory files;
  ASSERT_TRUE(saveRecording(recorded.recorder, files.path() / "recorded.json"));
  const MachineFileResult saved = loadMachineFile(files.path() / "recorded.json");
  ASSERT_TRUE(saved.machine.has_value()) << saved.error;
  const MachineDescription& replayMachine = *saved.machine;
  EXPECT_EQ(replayMachine.windows.nt, true);
  EXPECT_EQ(replayMachine.windows.major, 5);
  EXPECT_EQ(replayMachine.windows.minor, 1);
  EXPECT_EQ(replayMachine.date, (LocalDate{2008, 5, 20}));
  const DemoFolder replayFolder;
  const RecordedRun replayed(replayMachine, replayFolder, kJobs);
  EXPECT_EQ(violationCount(replayed.transcript), 0u);
  EXPECT_EQ(replayed.text, recorded.text);
  EXPECT_EQ(replayed.recording.readers[0].session, recorded.recording.readers[0].session);
}

// On Windows ME the program reaches the reader through the ASPI layer,
// which the recording leaves out: it holds the PC alone.
TEST(WindowsRecording, ARunOnAnotherRouteRecordsThePcAlone) {
  MachineDescription description = demoMachine();
  description.windows = {false, 4, 90};
  const DemoFolder folder;
  const RecordedRun recorded(description, folder, {kJobs[0], kJobs[1], kJobs[2]});
  ASSERT_NE(recorded.text.find("\"route\":\"Aspi\""), std::string::npos) << "the run took the ASPI route";
  ASSERT_NE(recorded.text.find("\"success\":1"), std::string::npos) << "and programmed the reader";

  EXPECT_TRUE(recorded.recording.readers.empty());
  const MachineDescription replayMachine = readBack(recorded.recording);
  EXPECT_FALSE(replayMachine.windows.nt);
  EXPECT_EQ(replayMachine.windows.major, 4);
  EXPECT_EQ(replayMachine.windows.minor, 90);
  EXPECT_EQ(replayMachine.date, (LocalDate{2008, 5, 20}));
  EXPECT_TRUE(replayMachine.readers.empty());
}

// Another maker's name in DEVICE.TXT changes the stamped image: the replay
// leaves the recording at the first transfer that carries it.
TEST(WindowsRecording, AChangedDeviceTxtIsAViolationAtTheFirstTransferThatDiffers) {
  const DemoFolder recordedFolder;
  const RecordedRun recorded(demoMachine(), recordedFolder, kJobs);

  const DemoFolder changedFolder;
  std::ifstream deviceTxt(changedFolder.directory.path() / "DEVICE.TXT", std::ios::binary);
  std::string changed{std::istreambuf_iterator<char>(deviceTxt), std::istreambuf_iterator<char>()};
  changed.replace(changed.find("\"Demo Devices\""), 14, "\"Demo Devicez\"");
  changedFolder.directory.writeFile("DEVICE.TXT", changed);
  const RecordedRun replayed(readBack(recorded.recording), changedFolder, kJobs);

  const ReaderSession& session = recorded.recording.readers[0].session;
  const auto transfer = std::find_if(session.begin(), session.end(), [](const SessionExchange& exchange) {
    return exchange.request.name == "sendIspData";
  });
  ASSERT_NE(transfer, session.end());
  const std::vector<TranscriptEvent> violations = replayed.transcript.ofKind(EventKind::Violation);
  ASSERT_FALSE(violations.empty());
  EXPECT_EQ(violations[0].reader, 1);
  EXPECT_EQ(violations[0].requestIndex, transfer - session.begin());
  EXPECT_NE(violations[0].text.find("(sendIspData): byte "), std::string::npos) << violations[0].text;
  EXPECT_NE(violations[0].text.find(" is 0x7a, recorded 0x73"), std::string::npos) << violations[0].text;
}

}  // namespace
}  // namespace updater
