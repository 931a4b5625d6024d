#pragma once

// The three route-level operations of the operator commands. Each asks the
// registry for the route of the program's inputs when it runs and hands
// over to that route. On an unsupported Windows there is no route: nothing
// is dispatched and the result is a failure.

namespace updater {

struct Program;
class RouteSet;

/// Result of `buildDeviceTable` when there is no route.
inline constexpr int kNoRoute = 1;

/// Clears the identify buffer (OEM and CEM bytes 0xFF), all ten entries, the
/// counters and StatusLog, then lets the route find the readers, accepting
/// DEVICE.TXT's two inquiry identities, and returns its result: 0 when it
/// ran, 1 or 2 on failure.
int buildDeviceTable(Program& program, RouteSet& routes);

/// Opens (or on SelfDriverNt probes) the route's self driver, by the name
/// chosen in "Driver Select": 0 when open, 1 otherwise. Does nothing and
/// returns 1 on PassThrough and Aspi.
int openSelfDriver(Program& program, RouteSet& routes);

/// Closes the handle the route keeps between commands: the Windows 98/ME
/// self-driver handle on the 98/ME self-driver routes, the drive handle on
/// PassThrough and SelfDriverNt, nothing on Aspi.
void closeDevice(Program& program, RouteSet& routes);

}  // namespace updater
