#pragma once

// The three operations the operator commands call without knowing the route.
// Each derives the route from the program's inputs when it runs and hands
// over to that route's half in `routes`. On an unsupported Windows there is
// no route: nothing is dispatched and the result is a failure.

namespace updater {

struct Program;
class DeviceRoutes;

/// Result of `buildDeviceTable` when there is no route.
inline constexpr int kNoRoute = 1;

/// Clears the identify buffer (OEM and CEM bytes 0xFF), all ten entries, the
/// counters and StatusLog, then runs the route's enumerator and returns its
/// result: 0 when it ran, 1 or 2 on failure.
int buildDeviceTable(Program& program, DeviceRoutes& routes);

/// Opens (or on SelfDriverNt probes) the route's self driver: 0 when open,
/// 1 otherwise. Does nothing and returns 1 on PassThrough and Aspi.
int openSelfDriver(Program& program, DeviceRoutes& routes);

/// Closes the route's handle: the Windows 98/ME self-driver handle on the
/// 98/ME self-driver routes, the pass-through drive handle on PassThrough and
/// SelfDriverNt, nothing on Aspi.
void closeDevice(Program& program, DeviceRoutes& routes);

}  // namespace updater
