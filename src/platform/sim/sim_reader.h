#pragma once

// One card reader of the simulated machine while it runs: its description,
// its identify block, its controller's loader with the flash, and its
// injected failures. Tests read the loader's flash and the request counts
// after a run.
//
// A reader whose description has a recorded session answers from it alone
// (platform/sim/session_replay.h); its loader and failure plan stay idle.
// Once asked to, a reader writes down its own session as requests come.

#include <map>
#include <optional>
#include <string>

#include "platform/sim/failure_plan.h"
#include "platform/sim/machine_description.h"
#include "platform/sim/session_replay.h"
#include "platform/sim/sim_loader.h"
#include "platform/sim/sim_ms_controller.h"

namespace updater {

struct SimReader {
  SimReader(int numberIn, const ReaderDescription& descriptionIn);

  /// 1-based, in machine-file order; the transcript's reader number.
  int number;
  ReaderDescription description;
  IdentifyBlock identify;
  SimLoader loader;
  /// The Memory Stick controller: its main program, its loader and its flash.
  SimMsController msLoader;
  FailurePlan failures;
  /// Requests that reached the reader, by request name, failed ones included.
  std::map<std::string, int> requestCounts;

  /// The session being played back; none: the reader answers live.
  std::optional<SessionReplay> replay;
  /// The session written down so far; none: not being written down.
  std::optional<ReaderSession> recorded;

  int requestCount(const std::string& name) const;
  /// Whether requests go through the session: played back or written down.
  bool keepsSession() const { return replay.has_value() || recorded.has_value(); }
  /// The recorded answer to `sent` while a session is played back; none:
  /// the reader answers it live.
  std::optional<SessionAnswer> replayed(const SessionRequest& sent);
  /// Writes the request and the answer it got into `recorded`, if kept.
  void record(SessionRequest sent, SessionAnswer answer);
  /// False once the reader has been unplugged (FailureKind::Unplugged).
  bool present() const { return !failures.unplugged(); }
  /// The identify block as the reader answers it now: bytes 188..195 carry
  /// the Memory Stick loader's revision while that controller runs its loader.
  IdentifyBlock currentIdentify() const;
};

}  // namespace updater
