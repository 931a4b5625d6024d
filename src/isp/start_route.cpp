#include "isp/start_route.h"

#include "common/program.h"
#include "isp/route_binding.h"

namespace updater {

bool startRoute(Program& program, RouteBinding& route) {
  if (route.start(program)) return true;
  const std::string_view text = route.traits().openFailureText;
  if (!text.empty()) {
    program.statusLog += '\n';
    program.statusLog += text;
  }
  return false;
}

}  // namespace updater
