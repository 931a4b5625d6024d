#pragma once

// One run of the program, as the console front end drives it: the window's
// start-up, then the operator's actions in order, every message box
// answered OK. What the operator would have seen collects in the
// transcript. The port is the simulated machine or this computer's.

#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/every_reader_action.h"
#include "app/program.h"
#include "device/route_registry.h"
#include "platform/sim/recording_main_view.h"
#include "platform/sim/recording_status_view.h"
#include "platform/sim/transcript.h"

namespace updater {

struct CliSession {
  /// `port` and `transcript` outlive the session.
  CliSession(Port& port, Transcript& transcript, const std::filesystem::path& workingDirectory);

  Transcript& transcript;
  RecordingMainView mainView{transcript};
  RecordingStatusView statusView{transcript};
  Program program;
  RouteSet routes;
  /// How isp-all and verify-all share the port among the readers' runs:
  /// in lockstep, unless the front end says otherwise.
  MakeScheduler makeScheduler;
};

struct SessionOutcome {
  /// False when the program refused to run on the machine's Windows; then
  /// no action ran.
  bool started = false;
  /// Set when an action chose an item that its list does not hold: why, in
  /// one line. The actions after it did not run.
  std::optional<std::string> refusedChoice;
};

/// Runs the start-up (action "start") and then `actions`.
SessionOutcome runSession(CliSession& session, const std::vector<CliAction>& actions);

}  // namespace updater
