#include "device/route_operations.h"

#include "common/program.h"
#include "device/access_route.h"
#include "device/device_routes.h"

namespace updater {
namespace {

using Enumerator = int (DeviceRoutes::*)(Program&);
using Opener = int (DeviceRoutes::*)(Program&);
using Closer = void (DeviceRoutes::*)(Program&);

/// What each route does in each operation; a null member is "nothing".
struct RouteHalves {
  AccessRoute route;
  Enumerator enumerate;
  Opener open;
  Closer close;
};

constexpr RouteHalves kDispatchTable[] = {
    {AccessRoute::SelfDriverDynamic, &DeviceRoutes::enumerateDynamicSelfDriver,
     &DeviceRoutes::openDynamicSelfDriver, &DeviceRoutes::closeSelfDriver9x},
    {AccessRoute::SelfDriverPort, &DeviceRoutes::enumeratePortSelfDriver, &DeviceRoutes::openPortSelfDriver,
     &DeviceRoutes::closeSelfDriver9x},
    {AccessRoute::Aspi, &DeviceRoutes::enumerateAspi, nullptr, nullptr},
    // The NT self driver's own handle is closed by the sequences that open
    // it; what stays open between commands is the drive handle of its scan.
    {AccessRoute::SelfDriverNt, &DeviceRoutes::enumerateSelfDriverNt, &DeviceRoutes::probeNtSelfDriver,
     &DeviceRoutes::closePassThroughDrive},
    {AccessRoute::PassThrough, &DeviceRoutes::enumeratePassThrough, nullptr,
     &DeviceRoutes::closePassThroughDrive},
};

const RouteHalves* currentHalves(const Program& program) {
  const auto route = currentAccessRoute(program);
  if (!route) return nullptr;
  for (const auto& row : kDispatchTable) {
    if (row.route == *route) return &row;
  }
  return nullptr;
}

constexpr int kNotOpened = 1;

}  // namespace

int buildDeviceTable(Program& program, DeviceRoutes& routes) {
  clearDeviceTable(program.deviceTable);
  program.statusLog.clear();
  const RouteHalves* halves = currentHalves(program);
  if (halves == nullptr) return kNoRoute;
  return (routes.*(halves->enumerate))(program);
}

int openSelfDriver(Program& program, DeviceRoutes& routes) {
  const RouteHalves* halves = currentHalves(program);
  if (halves == nullptr || halves->open == nullptr) return kNotOpened;
  return (routes.*(halves->open))(program);
}

void closeDevice(Program& program, DeviceRoutes& routes) {
  const RouteHalves* halves = currentHalves(program);
  if (halves == nullptr || halves->close == nullptr) return;
  (routes.*(halves->close))(program);
}

}  // namespace updater

