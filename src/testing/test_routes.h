#pragma once

// The five routes for tests of the jobs: one TestRoute per route, all onto
// the same simulated loader, chosen by the registry from the program's route
// inputs as the operator commands choose. A test sees both which route a job
// took and what reached the loader.

#include <array>
#include <memory>
#include <vector>

#include "testing/test_route.h"

namespace updater {

class TestRoutes {
 public:
  explicit TestRoutes(SimLoader& loader);

  /// The route the registry selects for `inputs` (none on an unsupported
  /// Windows); recorded in `asked`.
  Route* selected(const RouteInputs& inputs);

  /// The route `route`, to script or inspect.
  TestRoute& of(AccessRoute route);

  /// The routes a job was handed, in order.
  std::vector<AccessRoute> asked;

  /// The routes that were started, in route order.
  std::vector<AccessRoute> started() const;

 private:
  std::array<std::unique_ptr<TestRoute>, 5> routes_;
};

}  // namespace updater
