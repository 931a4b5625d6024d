#pragma once

// The program's routes, as the operator commands and the jobs reach them:
// the route-specific halves of the table build, open and close, and the
// bindings of the programming and verify sequences.

#include "device/aspi_binding.h"
#include "device/device_routes.h"
#include "device/pass_through_binding.h"
#include "device/self_driver_bindings.h"
#include "isp/route_binding.h"

namespace updater {

class ProgramRoutes : public DeviceRoutes, public RouteBindings {
 public:
  explicit ProgramRoutes(Program& program);

  int enumerateDynamicSelfDriver(Program& program) override;
  int enumeratePortSelfDriver(Program& program) override;
  int enumerateAspi(Program& program) override;
  int enumerateSelfDriverNt(Program& program) override;
  int enumeratePassThrough(Program& program) override;

  int openDynamicSelfDriver(Program& program) override;
  int openPortSelfDriver(Program& program) override;
  int probeNtSelfDriver(Program& program) override;

  void closeSelfDriver9x(Program& program) override;
  void closePassThroughDrive(Program& program) override;

  RouteBinding& binding(AccessRoute route) override;

 private:
  PassThroughBinding passThrough_;
  SelfDriverNtBinding selfDriverNt_;
  SelfDriverPortBinding selfDriverPort_;
  SelfDriverDynamicBinding selfDriverDynamic_;
  AspiBinding aspi_;
};

}  // namespace updater
