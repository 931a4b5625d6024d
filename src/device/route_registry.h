#pragma once

// The registry of the access routes: one row per route, saying when the
// route is the one to take and how to make it, and the set of route objects
// a program holds. The route is never stored: every operation asks for the
// route of the inputs it finds, so a change of an input takes effect at the
// next operation.

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "device/access_route.h"
#include "device/os_mode.h"
#include "device/route.h"
#include "device/self_driver/self_driver.h"

namespace updater {

class SelfDriverPortRoute;

/// The inputs that select a route: the Windows family, the "SelfDriverSel"
/// check box and the kind of the driver chosen in "Driver Select".
struct RouteInputs {
  OsMode osMode = OsMode::Unsupported;
  bool selfDriverChosen = false;
  DriverKind driverKind = DriverKind::Other;
};

/// One family's inputs that select a route; an empty input matches either
/// value.
struct RouteCondition {
  OsMode osMode = OsMode::Unsupported;
  std::optional<bool> selfDriverChosen;
  std::optional<DriverKind> driverKind;
};

/// What the routes are made over: the port, and the Windows 98/ME driver
/// handle the two Windows 98/ME routes share.
struct RouteResources {
  Port& port;
  Driver9x& driver9x;
};

struct RouteRow {
  AccessRoute id;
  /// The route's traits, as its objects give them.
  const RouteTraits& traits;
  /// The inputs that select the route; unused conditions name no family.
  std::array<RouteCondition, 3> selectedWhen;
  /// The operator commands open the route's self driver (by the name chosen
  /// in "Driver Select") before they scan or run a job.
  bool opensSelfDriver;
  /// The Memory Stick controller is reached on this route (through the
  /// Windows 98/ME driver handle).
  bool servesMemoryStick;
  std::unique_ptr<Route> (*make)(RouteResources& resources);
};

/// The row of the route `inputs` select; none on an unsupported Windows.
const RouteRow* routeRowFor(const RouteInputs& inputs);

/// The row of route `id`.
const RouteRow& routeRow(AccessRoute id);

/// The route the inputs select, by its name; none on an unsupported Windows.
std::optional<AccessRoute> accessRoute(OsMode osMode, bool selfDriverChosen, DriverKind driverKind);

/// One object of every route, made from the registry over one port.
class RouteSet {
 public:
  explicit RouteSet(Port& port);
  /// Routes made by `make` instead of the registry's rows: for tests that
  /// stand a route in for the real one.
  using MakeRoute = std::function<std::unique_ptr<Route>(AccessRoute id, RouteResources& resources)>;
  RouteSet(Port& port, const MakeRoute& make);
  RouteSet(const RouteSet&) = delete;
  RouteSet& operator=(const RouteSet&) = delete;

  Route& route(AccessRoute id);
  /// The route `inputs` select; none on an unsupported Windows.
  Route* selected(const RouteInputs& inputs);
  /// The port driver's route, which the Memory Stick update talks through
  /// whichever Windows 98/ME route opened the handle.
  SelfDriverPortRoute& selfDriverPort();

 private:
  Driver9x driver9x_;
  RouteResources resources_;
  std::array<std::unique_ptr<Route>, 5> routes_;
};

}  // namespace updater
