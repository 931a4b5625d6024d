#include "testing/route_runs.h"

#include "isp/program_firmware.h"
#include "isp/verify_firmware.h"

namespace updater {

LoaderImage loaderImage(Program& program, std::uint32_t length) {
  return LoaderImage{program.firmwareImage.image, length, program.userIspData.romSelectCode};
}

void programOn(Program& program, RouteSet& routes, AccessRoute route, Clock& clock, std::uint32_t length) {
  RouteRun run(routes.route(route), program.deviceTable, program.selectedDriverName);
  RunSink sink = program.sink();
  SequenceContext context{run, clock, sink};
  programFirmware(loaderImage(program, length), context, program.tally);
}

void verifyOn(Program& program, RouteSet& routes, AccessRoute route, Clock& clock, std::uint32_t length) {
  RouteRun run(routes.route(route), program.deviceTable, program.selectedDriverName);
  RunSink sink = program.sink();
  SequenceContext context{run, clock, sink};
  verifyFirmware(loaderImage(program, length), context);
}

}  // namespace updater
