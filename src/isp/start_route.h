#pragma once

namespace updater {

struct Program;
class RouteBinding;

/// Step one of both sequences: opens the route. A failure is reported only
/// in StatusLog, with the route's open-failure text (a route whose start
/// reports for itself has none). Returns true when the route is open.
bool startRoute(Program& program, RouteBinding& route);

}  // namespace updater
