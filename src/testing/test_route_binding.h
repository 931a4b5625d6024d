#pragma once

// A route binding for tests of the sequences: the route table row of a real
// route, a channel straight onto a simulated loader, and a start that can be
// made to fail. It counts starts and ends so tests can check that every run
// closes what it opened.

#include "isp/route_binding.h"
#include "platform/sim/sim_loader.h"
#include "testing/loader_channel.h"

namespace updater {

class TestRouteBinding : public RouteBinding {
 public:
  TestRouteBinding(AccessRoute route, SimLoader& loader)
      : traits_(routeTraits(route)), channel_(loader) {}

  const RouteTraits& traits() const override { return traits_; }
  bool start(Program& program) override;
  void end(Program& program) override;
  CommandChannel& channel() override { return channel_; }

  FailurePlan& failures() { return channel_.failures; }

  bool startSucceeds = true;
  int starts = 0;
  int ends = 0;
  bool open = false;

 private:
  const RouteTraits& traits_;
  LoaderChannel channel_;
};

}  // namespace updater
