#pragma once

#include <cstdint>

namespace updater {

struct Program;
class RouteBinding;

/// Lets the loader compare the programmed firmware with the `length`-byte
/// image at the start of the FirmwareImage buffer, writing nothing: enter the
/// loader, then up to three compare transfers. Logs like programFirmware but
/// touches no counter.
void verifyFirmware(Program& program, RouteBinding& route, std::uint32_t length);

}  // namespace updater
