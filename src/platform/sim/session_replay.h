#pragma once

// A recorded session (platform/reader_session.h) played back by a simulated
// reader: each request the program sends is compared with the one recorded
// at its place, and gets the recorded answer when it is the same request.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/reader_session.h"

namespace updater {

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
