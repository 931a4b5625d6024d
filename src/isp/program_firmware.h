#pragma once

#include <cstdint>

namespace updater {

struct Program;
class RouteBinding;

/// Writes the `length`-byte image at the start of the FirmwareImage buffer
/// into the controller through its ISP loader over `route`: enter the loader,
/// program, compare, up to three attempts. Logs each event to StatusLog and a
/// fresh status window, counts the run in IspTally, reports a failure once
/// (stop box and StatusLog line) and closes the route on every way out.
void programFirmware(Program& program, RouteBinding& route, std::uint32_t length);

}  // namespace updater
