#include "platform/sim/sim_port.h"

namespace updater {

void SimPort::sleep(std::uint32_t milliseconds) {
  elapsedMs_ += milliseconds;
  sleeps_.push_back(milliseconds);
  TranscriptEvent event;
  event.kind = EventKind::Sleep;
  event.ms = milliseconds;
  transcript_.add(std::move(event));
}

void SimPort::consoleLine(std::string_view line) {
  TranscriptEvent event;
  event.kind = EventKind::Console;
  event.text = line;
  transcript_.add(std::move(event));
}

}  // namespace updater
