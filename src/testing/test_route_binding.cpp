#include "testing/test_route_binding.h"

namespace updater {

bool TestRouteBinding::start(Program&) {
  ++starts;
  open = startSucceeds;
  return startSucceeds;
}

void TestRouteBinding::end(Program&) {
  ++ends;
  open = false;
}

}  // namespace updater
