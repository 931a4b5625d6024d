#include "device/program_routes.h"

#include "common/program.h"
#include "device/self_driver.h"
#include "device/self_driver_scan.h"

namespace updater {

ProgramRoutes::ProgramRoutes(Program& program)
    : passThrough_(program),
      selfDriverNt_(program),
      selfDriverPort_(program),
      selfDriverDynamic_(program),
      aspi_(program) {}

int ProgramRoutes::enumerateDynamicSelfDriver(Program& program) {
  return scanSelfDriver(program, AccessRoute::SelfDriverDynamic);
}
int ProgramRoutes::enumeratePortSelfDriver(Program& program) {
  return scanSelfDriver(program, AccessRoute::SelfDriverPort);
}
int ProgramRoutes::enumerateAspi(Program& program) { return scanAspi(program); }
int ProgramRoutes::enumerateSelfDriverNt(Program& program) { return scanDrives(program, AccessRoute::SelfDriverNt); }
int ProgramRoutes::enumeratePassThrough(Program& program) { return scanDrives(program, AccessRoute::PassThrough); }

int ProgramRoutes::openDynamicSelfDriver(Program& program) { return openDynamicDriver(program); }
int ProgramRoutes::openPortSelfDriver(Program& program) { return openPortDriver(program); }
int ProgramRoutes::probeNtSelfDriver(Program& program) { return openNtDriver(program, true); }

void ProgramRoutes::closeSelfDriver9x(Program& program) { closeDriver9x(program); }
void ProgramRoutes::closePassThroughDrive(Program& program) { closeDrive(program); }

RouteBinding& ProgramRoutes::binding(AccessRoute route) {
  switch (route) {
    case AccessRoute::PassThrough: return passThrough_;
    case AccessRoute::SelfDriverNt: return selfDriverNt_;
    case AccessRoute::SelfDriverPort: return selfDriverPort_;
    case AccessRoute::SelfDriverDynamic: return selfDriverDynamic_;
    case AccessRoute::Aspi: return aspi_;
  }
  return passThrough_;
}

}  // namespace updater
