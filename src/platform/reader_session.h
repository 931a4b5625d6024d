#pragma once

// A reader's session: every request the program sent to one reader, in
// order, with the answer it got. A run writes it down as it goes (what
// `updater-cli --record` and `updater.exe /record` save), and a machine
// file may give it back: the simulated reader then answers from the list
// instead of from its controller (platform/sim/session_replay.h).
//
// A request is taken at the reader's level, whatever route carried it: its
// name, the command block the reader received (none for the self-driver
// requests that carry none), and its data-out bytes. Its bytes, for the
// purpose of naming where two requests differ, are the command block
// followed by the data-out bytes.

#include <string>
#include <vector>

#include "common/bytes.h"

namespace updater {

struct SessionRequest {
  /// A request name of the machine file's `failures` ("inquiry", "sendIspData", ...).
  std::string name;
  std::vector<Byte> cdb;
  std::vector<Byte> dataOut;

  friend bool operator==(const SessionRequest&, const SessionRequest&) = default;
};

struct SessionAnswer {
  /// The request did not complete: the route's transport (or the driver)
  /// failed it. Nothing else of the answer counts then.
  bool transportFailure = false;
  /// The SCSI status it completed with; the self drivers report none (0).
  Byte status = 0;
  std::vector<Byte> dataIn;
  std::vector<Byte> sense;

  friend bool operator==(const SessionAnswer&, const SessionAnswer&) = default;
};

struct SessionExchange {
  SessionRequest request;
  SessionAnswer answer;

  friend bool operator==(const SessionExchange&, const SessionExchange&) = default;
};

using ReaderSession = std::vector<SessionExchange>;

/// The answer of a request that cannot be answered: a failed transfer.
inline SessionAnswer transportFailure() {
  SessionAnswer answer;
  answer.transportFailure = true;
  return answer;
}

}  // namespace updater
