#include "device/access_route.h"

namespace updater {

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

}  // namespace updater
