#include "isp/route_binding.h"

namespace updater {
namespace {

constexpr RouteTraits kRouteTable[] = {
    {AccessRoute::PassThrough, "ERROR: Access Disk Drive Failed!!!", false, DataSent::PaddedWithZeros,
     {3, 2, 2, 2, 2, 4, 0}, 0, 0x00, 8},
    {AccessRoute::SelfDriverNt, "ERROR: Loading UdskIO.Sys is Failed!!!", false, DataSent::ExactLength,
     {3, 2, 1, 2, 3, 1, 0}, 0, 0x00, 1},
    {AccessRoute::SelfDriverPort, "", true, DataSent::ExactLength, {1, 1, 1, 1, 1, 1, 1}, 0, 0x00, 1},
    {AccessRoute::SelfDriverDynamic, "", true, DataSent::PaddedFromBuffer, {1, 1, 1, 1, 1, 1, 1}, 0, 0x08, 28},
    {AccessRoute::Aspi, "", false, DataSent::PaddedFromBuffer, {3, 2, 0, 0, 0, 1, 0}, 3000, 0x08, 28},
};

}  // namespace

const RouteTraits& routeTraits(AccessRoute route) {
  for (const auto& row : kRouteTable) {
    if (row.route == route) return row;
  }
  return kRouteTable[0];
}

}  // namespace updater
