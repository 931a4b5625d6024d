#include "device/access_route.h"

#include "common/program.h"

namespace updater {
namespace {

/// One row of the route table; an empty input matches either value.
struct RouteRow {
  OsMode osMode;
  std::optional<bool> selfDriverChosen;
  std::optional<DriverKind> driverKind;
  AccessRoute route;
};

constexpr RouteRow kRouteTable[] = {
    {OsMode::Win98, std::nullopt, DriverKind::Kv20Disk, AccessRoute::SelfDriverDynamic},
    {OsMode::Win98, std::nullopt, DriverKind::Other, AccessRoute::SelfDriverPort},
    {OsMode::WinMe, true, std::nullopt, AccessRoute::SelfDriverPort},
    {OsMode::WinMe, false, std::nullopt, AccessRoute::Aspi},
    {OsMode::Win2000, true, std::nullopt, AccessRoute::SelfDriverNt},
    {OsMode::Win2000, false, std::nullopt, AccessRoute::PassThrough},
    {OsMode::WinXp, std::nullopt, std::nullopt, AccessRoute::PassThrough},
};

constexpr std::string_view kDynamicDriverName = "KV20DISK.PDR";

}  // namespace

const char* routeName(AccessRoute route) {
  switch (route) {
    case AccessRoute::PassThrough: return "PassThrough";
    case AccessRoute::SelfDriverNt: return "SelfDriverNt";
    case AccessRoute::SelfDriverPort: return "SelfDriverPort";
    case AccessRoute::SelfDriverDynamic: return "SelfDriverDynamic";
    case AccessRoute::Aspi: return "Aspi";
  }
  return "?";
}

DriverKind driverKindOf(std::string_view selectedDriverName) {
  return selectedDriverName.substr(0, kDynamicDriverName.size()) == kDynamicDriverName ? DriverKind::Kv20Disk
                                                                                        : DriverKind::Other;
}

std::optional<AccessRoute> accessRoute(OsMode osMode, bool selfDriverChosen, DriverKind driverKind) {
  for (const auto& row : kRouteTable) {
    if (row.osMode != osMode) continue;
    if (row.selfDriverChosen && *row.selfDriverChosen != selfDriverChosen) continue;
    if (row.driverKind && *row.driverKind != driverKind) continue;
    return row.route;
  }
  return std::nullopt;
}

std::optional<AccessRoute> currentAccessRoute(const Program& program) {
  return accessRoute(program.osMode, program.selfDriverChosen, program.driverKind);
}

}  // namespace updater
