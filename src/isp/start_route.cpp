#include "isp/start_route.h"

namespace updater {

bool startRoute(RunRoute& route, RunSink& sink) {
  if (route.start(sink)) return true;
  const std::string_view text = route.traits().openFailureText;
  if (!text.empty()) sink.appendLine(text);
  return false;
}

}  // namespace updater
