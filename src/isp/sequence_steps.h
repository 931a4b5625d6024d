#pragma once

// The steps the programming and verify sequences share: issuing the three
// loader commands over a route, logging an event, and the failure exit.

#include <cstdint>
#include <string_view>

#include "app/status_dialog.h"
#include "isp/route_binding.h"

namespace updater {

struct Program;

/// The whole image and its padding, as one run sends it.
struct ImageTransfer {
  std::uint32_t length;
  std::uint32_t paddedLength;
};

bool sendJumpToIsp(RouteBinding& route);

/// Reads the loader's status into `status`; the answer byte is stored also
/// when the command fails.
bool readIspStatus(RouteBinding& route, Byte& status);

bool sendImage(Program& program, RouteBinding& route, IspDataMode mode, const ImageTransfer& transfer);

/// Refuses an image length that the 16-bit length field cannot carry (0 or
/// above 65,535): stop box and StatusLog line. Returns true when refused.
bool refuseUnsendableLength(Program& program, std::uint32_t length);

/// Appends "\n" + `line` to StatusLog and shows the whole log.
void logEvent(Program& program, StatusDialog& window, std::string_view line);

/// Appends "\n" + `prefix` + status in "%x" + `event` and shows the log.
void logStatusEvent(Program& program, StatusDialog& window, std::string_view prefix, Byte status,
                    std::string_view event);

/// The failure exit: hide the window, show `boxText` with the stop icon,
/// append "\n" + `logText` to StatusLog, close the route.
void failRun(Program& program, RouteBinding& route, StatusDialog& window, std::string_view boxText,
             std::string_view logText);

}  // namespace updater
