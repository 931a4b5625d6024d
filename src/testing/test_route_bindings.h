#pragma once

// The bindings of all five routes for tests of the jobs: one TestRouteBinding
// per route, all onto the same simulated loader, so a test sees both which
// route a job took and what reached the loader.

#include <array>
#include <vector>

#include "testing/test_route_binding.h"

namespace updater {

class TestRouteBindings : public RouteBindings {
 public:
  explicit TestRouteBindings(SimLoader& loader);

  RouteBinding& binding(AccessRoute route) override;

  /// The binding of `route`, to script or inspect.
  TestRouteBinding& of(AccessRoute route);

  /// The routes the job asked for, in order.
  std::vector<AccessRoute> asked;

  /// The routes whose binding was started, in route order.
  std::vector<AccessRoute> started() const;

 private:
  std::array<TestRouteBinding, 5> bindings_;
};

}  // namespace updater
