#include "device/program_routes.h"

#include "common/program.h"

namespace updater {

namespace {
constexpr int kNoReader = 1;
constexpr int kNotOpen = 1;
}  // namespace

ProgramRoutes::ProgramRoutes(Program& program) : passThrough_(program), aspi_(program) {}

int ProgramRoutes::enumerateDynamicSelfDriver(Program&) { return kNoReader; }
int ProgramRoutes::enumeratePortSelfDriver(Program&) { return kNoReader; }
int ProgramRoutes::enumerateAspi(Program& program) { return scanAspi(program); }
int ProgramRoutes::enumerateSelfDriverNt(Program& program) { return scanDrives(program, AccessRoute::SelfDriverNt); }
int ProgramRoutes::enumeratePassThrough(Program& program) { return scanDrives(program, AccessRoute::PassThrough); }

int ProgramRoutes::openDynamicSelfDriver(Program&) { return kNotOpen; }
int ProgramRoutes::openPortSelfDriver(Program&) { return kNotOpen; }
int ProgramRoutes::probeNtSelfDriver(Program&) { return kNotOpen; }

void ProgramRoutes::closeSelfDriver9x(Program&) {}
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
