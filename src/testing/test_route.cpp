#include "testing/test_route.h"

namespace updater {

bool TestRoute::startRun(DeviceTable&, std::string_view, RunSink&) {
  ++starts;
  open = startSucceeds;
  return startSucceeds;
}

void TestRoute::endRun() {
  ++ends;
  open = false;
}

}  // namespace updater
