#include "device/access_route.h"

namespace updater {
namespace {

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

}  // namespace updater
