#pragma once

// The ASPI route's part in the programming and verify sequences: a run loads
// the layer, checks that the selected reader is still at its adapter and
// target, sends the loader's commands there, and unloads the layer again.
// The start reports its own failures (StatusLog lines and, when the layer is
// missing or not working, a plain message box).

#include "device/aspi.h"
#include "isp/route_binding.h"

namespace updater {

/// The start of a run on this route: 0 when the layer is loaded and the
/// selected reader confirmed; 1 otherwise, reported, with the layer unloaded.
int startAspiRun(Program& program);

class AspiBinding : public RouteBinding {
 public:
  explicit AspiBinding(Program& program) : channel_(program) {}

  const RouteTraits& traits() const override { return routeTraits(AccessRoute::Aspi); }
  bool start(Program& program) override { return startAspiRun(program) == 0; }
  void end(Program& program) override { releaseAspi(program); }
  CommandChannel& channel() override { return channel_; }

 private:
  AspiChannel channel_;
};

}  // namespace updater
