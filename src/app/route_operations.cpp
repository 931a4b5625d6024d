#include "app/route_operations.h"

#include "app/program.h"

namespace updater {

int buildDeviceTable(Program& program, RouteSet& routes) {
  clearDeviceTable(program.deviceTable);
  program.statusLog.clear();
  Route* route = routes.selected(program.routeInputs());
  if (route == nullptr) return kNoRoute;
  RunSink sink = program.sink();
  return route->enumerate(program.deviceTable, acceptedIdentities(program.userIspData), sink);
}

int openSelfDriver(Program& program, RouteSet& routes) {
  Route* route = routes.selected(program.routeInputs());
  if (route == nullptr) return kDriverNotOpen;
  return route->openDriver(program.selectedDriverName);
}

void closeDevice(Program& program, RouteSet& routes) {
  Route* route = routes.selected(program.routeInputs());
  if (route != nullptr) route->closeDevice();
}

}  // namespace updater
