#pragma once

// A reader's session: every request the program sent to one reader, in
// order, with the answer it got. A run writes it down as it goes (what
// `updater-cli --record` saves), and a machine file may give it back: that
// reader then answers from the list instead of from its controller.
//
// A request is taken at the reader's level, whatever route carried it: its
// name, the command block the reader received (none for the self-driver
// requests that carry none), and its data-out bytes. Its bytes, for the
// purpose of naming where two requests differ, are the command block
// followed by the data-out bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"

namespace updater {

struct SessionRequest {
  /// A request name of the machine file's `failures` ("inquiry", "sendIspData", ...).
  std::string name;
  std::vector<Byte> cdb;
  std::vector<Byte> dataOut;
};

struct SessionAnswer {
  /// The request did not complete: the route's transport (or the driver)
  /// failed it. Nothing else of the answer counts then.
  bool transportFailure = false;
  /// The SCSI status it completed with; the self drivers report none (0).
  Byte status = 0;
  std::vector<Byte> dataIn;
  std::vector<Byte> sense;
};

struct SessionExchange {
  SessionRequest request;
  SessionAnswer answer;
};

using ReaderSession = std::vector<SessionExchange>;

/// The answer of a request that cannot be answered: a failed transfer.
SessionAnswer transportFailure();

/// Where a request sent during a replay left the recording.
struct SessionDeviation {
  /// The request's 0-based position in the reader's list.
  std::size_t index = 0;
  /// The first byte (command block, then data-out) that differs; 0 when
  /// the names differ or the list has no request at `index`.
  std::size_t offset = 0;
  /// "request 7 (sendIspData): byte 20 is 0x41, recorded 0x40".
  std::string text;
};

/// The first byte where `sent` differs from `recorded`; none when they are
/// the same request.
std::optional<std::size_t> firstDifference(const SessionRequest& recorded, const SessionRequest& sent);

/// A recorded session played back, one request after the other.
class SessionReplay {
 public:
  explicit SessionReplay(ReaderSession recorded) : recorded_(std::move(recorded)) {}

  /// The recorded answer when `sent` is the request recorded next; else a
  /// failed transfer, with the deviation kept for `takeDeviations`. Either
  /// way the replay moves on to the next request.
  SessionAnswer answer(const SessionRequest& sent);

  /// The deviations since the last call, oldest first.
  std::vector<SessionDeviation> takeDeviations();

 private:
  ReaderSession recorded_;
  std::size_t next_ = 0;
  std::vector<SessionDeviation> deviations_;
};

}  // namespace updater
