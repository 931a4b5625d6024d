#include "testing/test_routes.h"

namespace updater {
namespace {

constexpr std::array<AccessRoute, 5> kRoutes = {
    AccessRoute::PassThrough, AccessRoute::SelfDriverNt, AccessRoute::SelfDriverPort,
    AccessRoute::SelfDriverDynamic, AccessRoute::Aspi,
};

}  // namespace

TestRoutes::TestRoutes(SimLoader& loader) {
  for (std::size_t i = 0; i < kRoutes.size(); ++i) routes_[i] = std::make_unique<TestRoute>(kRoutes[i], loader);
}

Route* TestRoutes::selected(const RouteInputs& inputs) {
  const RouteRow* row = routeRowFor(inputs);
  if (row == nullptr) return nullptr;
  asked.push_back(row->id);
  return &of(row->id);
}

TestRoute& TestRoutes::of(AccessRoute route) { return *routes_[static_cast<std::size_t>(route)]; }

std::vector<AccessRoute> TestRoutes::started() const {
  std::vector<AccessRoute> routes;
  for (std::size_t i = 0; i < kRoutes.size(); ++i) {
    if (routes_[i]->starts > 0) routes.push_back(kRoutes[i]);
  }
  return routes;
}

}  // namespace updater
