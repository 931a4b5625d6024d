#include "device/route_registry.h"

#include "device/aspi/aspi_route.h"
#include "device/pass_through/pass_through_route.h"
#include "device/self_driver/self_driver_dynamic_route.h"
#include "device/self_driver/self_driver_nt_route.h"
#include "device/self_driver/self_driver_port_route.h"

namespace updater {
namespace {

template <typename R>
std::unique_ptr<Route> makeOverPort(RouteResources& resources) {
  return std::make_unique<R>(resources.port);
}

template <typename R>
std::unique_ptr<Route> makeOverDriver9x(RouteResources& resources) {
  return std::make_unique<R>(resources.driver9x);
}

constexpr RouteCondition kNever{};

// Order matters only in that every input selects at most one row.
// Columns: id, traits, selected when, opens its self driver, serves the
// Memory Stick controller, how it is made.
constexpr RouteRow kRegistry[] = {
    {AccessRoute::PassThrough, PassThroughRoute::kTraits,
     {{{OsMode::WinXp, std::nullopt, std::nullopt},
       {OsMode::Win2000, false, std::nullopt},
       {OsMode::Host, std::nullopt, std::nullopt}}},
     false, false, makeOverPort<PassThroughRoute>},
    {AccessRoute::SelfDriverNt, SelfDriverNtRoute::kTraits,
     {{{OsMode::Win2000, true, std::nullopt}, kNever}},
     true, false, makeOverPort<SelfDriverNtRoute>},
    {AccessRoute::SelfDriverPort, SelfDriverPortRoute::kTraits,
     {{{OsMode::Win98, std::nullopt, DriverKind::Other}, {OsMode::WinMe, true, std::nullopt}}},
     true, true, makeOverDriver9x<SelfDriverPortRoute>},
    {AccessRoute::SelfDriverDynamic, SelfDriverDynamicRoute::kTraits,
     {{{OsMode::Win98, std::nullopt, DriverKind::Kv20Disk}, kNever}},
     true, true, makeOverDriver9x<SelfDriverDynamicRoute>},
    {AccessRoute::Aspi, AspiRoute::kTraits,
     {{{OsMode::WinMe, false, std::nullopt}, kNever}},
     false, false, makeOverPort<AspiRoute>},
};

constexpr bool inRouteOrder() {
  for (std::size_t i = 0; i < std::size(kRegistry); ++i) {
    if (static_cast<std::size_t>(kRegistry[i].id) != i) return false;
  }
  return true;
}
static_assert(inRouteOrder(), "the registry holds one row per route, in the order of AccessRoute");

bool matches(const RouteCondition& condition, const RouteInputs& inputs) {
  if (condition.osMode == OsMode::Unsupported || condition.osMode != inputs.osMode) return false;
  if (condition.selfDriverChosen && *condition.selfDriverChosen != inputs.selfDriverChosen) return false;
  return !condition.driverKind || *condition.driverKind == inputs.driverKind;
}

std::size_t indexOf(AccessRoute id) { return static_cast<std::size_t>(id); }

}  // namespace

const RouteRow* routeRowFor(const RouteInputs& inputs) {
  for (const auto& row : kRegistry) {
    for (const auto& condition : row.selectedWhen) {
      if (matches(condition, inputs)) return &row;
    }
  }
  return nullptr;
}

const RouteRow& routeRow(AccessRoute id) { return kRegistry[indexOf(id)]; }

std::optional<AccessRoute> accessRoute(OsMode osMode, bool selfDriverChosen, DriverKind driverKind) {
  const RouteRow* row = routeRowFor({osMode, selfDriverChosen, driverKind});
  if (row == nullptr) return std::nullopt;
  return row->id;
}

RouteSet::RouteSet(Port& port)
    : RouteSet(port, [](AccessRoute id, RouteResources& resources) { return routeRow(id).make(resources); }) {}

RouteSet::RouteSet(Port& port, const MakeRoute& make) : driver9x_(port), resources_{port, driver9x_} {
  for (const auto& row : kRegistry) routes_[indexOf(row.id)] = make(row.id, resources_);
}

Route& RouteSet::route(AccessRoute id) { return *routes_[indexOf(id)]; }

Route* RouteSet::selected(const RouteInputs& inputs) {
  const RouteRow* row = routeRowFor(inputs);
  return row == nullptr ? nullptr : &route(row->id);
}

SelfDriverPortRoute& RouteSet::selfDriverPort() {
  return static_cast<SelfDriverPortRoute&>(route(AccessRoute::SelfDriverPort));
}

}  // namespace updater
