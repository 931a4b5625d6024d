#pragma once

// An access route: the way vendor commands travel to a reader. Each route is
// one object that owns its state (its handles, request buffers or loaded
// layer) and does everything route-specific: it finds the readers, opens and
// closes what stays open between the operator's commands, starts and ends a
// programming or verify run on the selected reader, and carries the loader's
// commands in between. The registry (device/route_registry.h) makes them and
// says which one the Windows family and the operator's choices select.

#include <string_view>

#include "device/access_route.h"
#include "device/device_table.h"
#include "device/inquiry_identity.h"
#include "isp/run_route.h"
#include "isp/run_sink.h"

namespace updater {

/// Result of `Route::enumerate` that found readers (or, on the Windows 98/ME
/// self drivers, ran to its end).
inline constexpr int kEnumerated = 0;
/// Result of `Route::openDriver` on success, and of a failed one.
inline constexpr int kDriverOpen = 0;
inline constexpr int kDriverNotOpen = 1;

class Route {
 public:
  virtual ~Route() = default;

  virtual AccessRoute id() const = 0;
  /// What tells this route's runs apart in the programming and verify
  /// sequences.
  virtual const RouteTraits& traits() const = 0;

  /// Finds the readers into `table`, which the caller has cleared. Returns
  /// kEnumerated when the scan ran (on PassThrough, SelfDriverNt and Aspi:
  /// and found at least one reader), 1 or 2 when no reader was found or the
  /// driver or layer failed. `accepted` are the identities a reader may
  /// answer with where the route compares them; `sink` takes the boxes a
  /// failing layer shows.
  virtual int enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) = 0;

  /// Opens (or on SelfDriverNt probes) the self driver `driverName` chosen
  /// in "Driver Select": kDriverOpen or kDriverNotOpen. A route without a
  /// self driver opens nothing and answers kDriverNotOpen.
  virtual int openDriver(std::string_view driverName);

  /// Closes the handle the route keeps between commands, if any.
  virtual void closeDevice();

  /// Opens what a run on the table's selected reader needs and aims the
  /// channel at that reader. True on success; on failure the route has
  /// released what it opened and may have reported why through `sink`.
  /// `driverName` names the self driver where the route opens one per run.
  virtual bool startRun(DeviceTable& table, std::string_view driverName, RunSink& sink) = 0;
  /// Closes what the run opened (on the Windows 98/ME self drivers also the
  /// handle the operator command opened before the run).
  virtual void endRun() = 0;
  virtual CommandChannel& channel() = 0;
};

inline int Route::openDriver(std::string_view) { return kDriverNotOpen; }
inline void Route::closeDevice() {}

/// One run of a route on the table's selected reader, as the sequences see
/// it. Lives on the stack of the job that runs.
class RouteRun final : public RunRoute {
 public:
  RouteRun(Route& route, DeviceTable& table, std::string_view driverName)
      : route_(route), table_(table), driverName_(driverName) {}

  const RouteTraits& traits() const override { return route_.traits(); }
  bool start(RunSink& sink) override { return route_.startRun(table_, driverName_, sink); }
  void end() override { route_.endRun(); }
  CommandChannel& channel() override { return route_.channel(); }

 private:
  Route& route_;
  DeviceTable& table_;
  std::string_view driverName_;
};

}  // namespace updater
