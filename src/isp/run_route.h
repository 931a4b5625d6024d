#pragma once

// How the programming and verify sequences meet a route: the route's traits
// (the data that tells the routes' runs apart) and its run-time actions
// (start, end and the command channel). The sequences are written once,
// against these.

#include <array>
#include <cstdint>
#include <string_view>

#include "common/bytes.h"
#include "isp/run_sink.h"
#include "isp/vendor_command.h"

namespace updater {

/// What the data phase of sendIspData carries.
enum class DataSent {
  PaddedWithZeros,   // the image, then zeros up to paddedLength (the route zero-fills)
  PaddedFromBuffer,  // the first paddedLength bytes of the image buffer
  ExactLength,       // exactly `length` bytes
};

struct RouteTraits {
  /// Appended to StatusLog when `start` fails; empty where the route's start
  /// reports for itself.
  std::string_view openFailureText;
  /// Whether the programming window opens showing the whole StatusLog
  /// (otherwise an empty text).
  bool initialTextIsStatusLog;
  DataSent dataSent;
  /// Weights of the programming sequence's progress points 1 to 7; 0 where
  /// the route has no such point.
  std::array<int, 7> programProgress;
  /// Pause between the write answer and the compare transfer of programming.
  std::uint32_t pauseBeforeVerifyMs;
  /// Byte 5 of the jumpToIsp command block.
  Byte jumpByte5;
  /// Data length of the getIspStatus answer the route asks for.
  std::uint32_t statusAnswerLength;
};

/// A route as one run sees it. `start` opens what the run needs and returns
/// true on success; on failure it has released what it opened, and it may
/// have reported why through `sink`. `end` closes it again. The channel
/// carries the vendor commands in between.
class RunRoute {
 public:
  virtual ~RunRoute() = default;
  virtual const RouteTraits& traits() const = 0;
  virtual bool start(RunSink& sink) = 0;
  virtual void end() = 0;
  virtual CommandChannel& channel() = 0;
};

}  // namespace updater
