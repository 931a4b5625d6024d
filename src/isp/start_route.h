#pragma once

#include "isp/run_route.h"

namespace updater {

/// Step one of both sequences: opens the route. A failure is reported only
/// in StatusLog, with the route's open-failure text (a route whose start
/// reports for itself has none). Returns true when the route is open.
bool startRoute(RunRoute& route, RunSink& sink);

}  // namespace updater
