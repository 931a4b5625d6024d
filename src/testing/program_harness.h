#pragma once

// A whole program on the simulated platform: transcript, simulated machine
// (with its virtual clock), recording views and the program state over them.

#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "isp/run_route.h"
#include "platform/sim/recording_main_view.h"
#include "platform/sim/recording_status_view.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/transcript.h"

namespace updater {

/// The machine of the harness unless a test gives its own: Windows XP, the
/// date 2007-12-25, drive C and no reader.
MachineDescription harnessMachine();

struct ProgramHarness {
  explicit ProgramHarness(const MachineDescription& description = harnessMachine())
      : machine(transcript, description) {}

  Transcript transcript;
  SimMachine machine;
  RecordingMainView mainView{transcript};
  RecordingStatusView statusView{transcript};
  std::unique_ptr<Program> program = std::make_unique<Program>(machine, mainView, statusView);

  /// Puts `image` at the start of the FirmwareImage buffer.
  void loadImage(const std::vector<Byte>& image);

  /// The programming and verify sequences over `route`, with the first
  /// `length` bytes of the FirmwareImage buffer, the program's ROM select
  /// code, StatusLog, views, clock and run counters.
  void programFirmware(RunRoute& route, std::uint32_t length);
  void verifyFirmware(RunRoute& route, std::uint32_t length);

  std::vector<TranscriptEvent> messageBoxes() const { return transcript.ofKind(EventKind::MessageBox); }
  /// The ops of the status-window events, in order ("create", "range", ...).
  std::vector<std::string> statusWindowOps() const;
  /// Bar positions after each stepIt, in order.
  std::vector<int> barPositions() const;
};

/// A deterministic test image of `length` bytes.
std::vector<Byte> testImage(std::size_t length, Byte seed = 1);

}  // namespace updater
