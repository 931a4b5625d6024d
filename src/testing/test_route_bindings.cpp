#include "testing/test_route_bindings.h"

namespace updater {
namespace {

constexpr std::array<AccessRoute, 5> kRoutes = {
    AccessRoute::PassThrough, AccessRoute::SelfDriverNt, AccessRoute::SelfDriverPort,
    AccessRoute::SelfDriverDynamic, AccessRoute::Aspi,
};

std::size_t indexOf(AccessRoute route) {
  for (std::size_t i = 0; i < kRoutes.size(); ++i) {
    if (kRoutes[i] == route) return i;
  }
  return 0;
}

}  // namespace

TestRouteBindings::TestRouteBindings(SimLoader& loader)
    : bindings_{TestRouteBinding(kRoutes[0], loader), TestRouteBinding(kRoutes[1], loader),
                TestRouteBinding(kRoutes[2], loader), TestRouteBinding(kRoutes[3], loader),
                TestRouteBinding(kRoutes[4], loader)} {}

RouteBinding& TestRouteBindings::binding(AccessRoute route) {
  asked.push_back(route);
  return of(route);
}

TestRouteBinding& TestRouteBindings::of(AccessRoute route) { return bindings_[indexOf(route)]; }

std::vector<AccessRoute> TestRouteBindings::started() const {
  std::vector<AccessRoute> routes;
  for (std::size_t i = 0; i < kRoutes.size(); ++i) {
    if (bindings_[i].starts > 0) routes.push_back(kRoutes[i]);
  }
  return routes;
}

}  // namespace updater
