#pragma once

// The programming and verify sequences run as the jobs run them, for tests
// of one route: the program's image, ROM select code, StatusLog, views and
// run counters, on route `route` of `routes` and the program's selected
// reader, with `clock` for the pauses (the machine, or a port in front of
// it).

#include <cstdint>

#include "app/program.h"
#include "device/route_registry.h"
#include "isp/sequence_steps.h"

namespace updater {

/// The first `length` bytes of the program's image buffer, as a job hands
/// them to a sequence.
LoaderImage loaderImage(Program& program, std::uint32_t length);

void programOn(Program& program, RouteSet& routes, AccessRoute route, Clock& clock, std::uint32_t length);
void verifyOn(Program& program, RouteSet& routes, AccessRoute route, Clock& clock, std::uint32_t length);

}  // namespace updater
