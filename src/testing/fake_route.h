#pragma once

// Routes for tests of the route-level operations and of the commands above
// them: every call is logged with the route's name ("enumerate PassThrough",
// "openDriver SelfDriverNt", "closeDevice Aspi", ...) in one log shared by
// the five, enumerations and opens return the results the test set, and an
// enumeration can fill the table through a hook.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/route_registry.h"

namespace updater {

struct FakeRouteLog {
  std::vector<std::string> calls;
  int enumerateResult = 0;
  int openResult = 0;
  /// Runs inside every enumeration, after the call is logged.
  std::function<void(DeviceTable&, RunSink&)> onEnumerate;
};

class FakeRoute final : public Route {
 public:
  FakeRoute(AccessRoute id, FakeRouteLog& log) : id_(id), log_(log) {}

  AccessRoute id() const override { return id_; }
  const RouteTraits& traits() const override { return routeRow(id_).traits; }
  int enumerate(DeviceTable& table, const AcceptedIdentities&, RunSink& sink) override {
    note("enumerate");
    if (log_.onEnumerate) log_.onEnumerate(table, sink);
    return log_.enumerateResult;
  }
  int openDriver(std::string_view) override {
    note("openDriver");
    return log_.openResult;
  }
  void closeDevice() override { note("closeDevice"); }
  bool startRun(DeviceTable&, std::string_view, RunSink&) override { return false; }
  void endRun() override {}
  CommandChannel& channel() override { return channel_; }

 private:
  class NoChannel : public CommandChannel {
   public:
    bool execute(VendorCommand&) override { return false; }
  };

  void note(const char* call) { log_.calls.push_back(std::string(call) + " " + routeName(id_)); }

  AccessRoute id_;
  FakeRouteLog& log_;
  NoChannel channel_;
};

/// A route set of five fake routes sharing `log`.
inline std::unique_ptr<RouteSet> fakeRouteSet(Port& port, FakeRouteLog& log) {
  return std::make_unique<RouteSet>(
      port, [&log](AccessRoute id, RouteResources&) { return std::make_unique<FakeRoute>(id, log); });
}

}  // namespace updater
