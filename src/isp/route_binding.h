#pragma once

// How the programming and verify sequences meet a route: the data columns of
// the route table (`RouteTraits`) and the route's own actions (`RouteBinding`:
// start, end and the command channel). The sequences are written once,
// against these.

#include <array>
#include <cstdint>
#include <string_view>

#include "common/bytes.h"
#include "device/access_route.h"
#include "isp/vendor_command.h"

namespace updater {

struct Program;

/// What the data phase of sendIspData carries.
enum class DataSent {
  PaddedWithZeros,   // the image, then zeros up to paddedLength (the route zero-fills)
  PaddedFromBuffer,  // the first paddedLength bytes of the image buffer
  ExactLength,       // exactly `length` bytes
};

struct RouteTraits {
  AccessRoute route;
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

/// The route table of the sequences.
const RouteTraits& routeTraits(AccessRoute route);

/// One route's binding to the sequences. `start` opens what a run needs and
/// returns true on success; on failure it has released what it opened. `end`
/// closes it again. The channel carries the vendor commands in between.
class RouteBinding {
 public:
  virtual ~RouteBinding() = default;
  virtual const RouteTraits& traits() const = 0;
  virtual bool start(Program& program) = 0;
  virtual void end(Program& program) = 0;
  virtual CommandChannel& channel() = 0;
};

/// The bindings of every route the program can take; the jobs ask it for
/// the binding of the route derived at the moment they run.
class RouteBindings {
 public:
  virtual ~RouteBindings() = default;
  virtual RouteBinding& binding(AccessRoute route) = 0;
};

}  // namespace updater
