#pragma once

// Route halves for tests of the route-level operations and of the commands
// above them: every call is logged by name, enumerators and opens return the
// results the test set, and an enumerator can fill the table through a hook.

#include <functional>
#include <string>
#include <vector>

#include "device/device_routes.h"

namespace updater {

class FakeDeviceRoutes : public DeviceRoutes {
 public:
  /// Names of the calls, in order ("enumeratePassThrough", "closeSelfDriver9x", ...).
  std::vector<std::string> calls;
  int enumerateResult = 0;
  int openResult = 0;
  /// Runs inside every enumerator, after the call is logged.
  std::function<void(Program&)> onEnumerate;

  int enumerateDynamicSelfDriver(Program& program) override { return enumerate("enumerateDynamicSelfDriver", program); }
  int enumeratePortSelfDriver(Program& program) override { return enumerate("enumeratePortSelfDriver", program); }
  int enumerateAspi(Program& program) override { return enumerate("enumerateAspi", program); }
  int enumerateSelfDriverNt(Program& program) override { return enumerate("enumerateSelfDriverNt", program); }
  int enumeratePassThrough(Program& program) override { return enumerate("enumeratePassThrough", program); }

  int openDynamicSelfDriver(Program&) override { return open("openDynamicSelfDriver"); }
  int openPortSelfDriver(Program&) override { return open("openPortSelfDriver"); }
  int probeNtSelfDriver(Program&) override { return open("probeNtSelfDriver"); }

  void closeSelfDriver9x(Program&) override { calls.emplace_back("closeSelfDriver9x"); }
  void closePassThroughDrive(Program&) override { calls.emplace_back("closePassThroughDrive"); }

 private:
  int enumerate(const char* name, Program& program) {
    calls.emplace_back(name);
    if (onEnumerate) onEnumerate(program);
    return enumerateResult;
  }
  int open(const char* name) {
    calls.emplace_back(name);
    return openResult;
  }
};

}  // namespace updater
