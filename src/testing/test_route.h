#pragma once

// A route for tests of the sequences and the jobs: the traits of a real
// route, a channel straight onto a simulated loader, and a start that can be
// made to fail. It counts starts and ends so tests can check that every run
// closes what it opened. `run()` is the route as one run sees it.

#include "device/route.h"
#include "device/route_registry.h"
#include "testing/loader_channel.h"
#include "platform/sim/sim_loader.h"

namespace updater {

class TestRoute : public Route {
 public:
  TestRoute(AccessRoute route, SimLoader& loader) : id_(route), channel_(loader) {}

  AccessRoute id() const override { return id_; }
  const RouteTraits& traits() const override { return routeRow(id_).traits; }
  int enumerate(DeviceTable&, const AcceptedIdentities&, RunSink&) override { return kEnumerated; }
  bool startRun(DeviceTable& table, std::string_view driverName, RunSink& sink) override;
  void endRun() override;
  CommandChannel& channel() override { return channel_; }

  FailurePlan& failures() { return channel_.failures; }
  LoaderChannel& loaderChannel() { return channel_; }

  /// The route as a run on no particular reader sees it.
  RunRoute& run() { return run_; }

  bool startSucceeds = true;
  int starts = 0;
  int ends = 0;
  bool open = false;

 private:
  AccessRoute id_;
  LoaderChannel channel_;
  DeviceTable table_;
  RouteRun run_{*this, table_, ""};
};

}  // namespace updater
