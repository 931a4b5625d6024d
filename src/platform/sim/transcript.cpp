#include "platform/sim/transcript.h"

#include <utility>

namespace updater {

TranscriptEvent consoleEvent(std::string_view line) {
  TranscriptEvent event;
  event.kind = EventKind::Console;
  event.text = line;
  return event;
}

void Transcript::add(TranscriptEvent event) {
  const bool isTrace = event.kind == EventKind::Io || event.kind == EventKind::Sleep;
  if (isTrace && !keepTrace) return;
  const std::lock_guard<std::mutex> held(adding_);
  if (onEvent) onEvent(event);
  events_.push_back(std::move(event));
}

std::vector<TranscriptEvent> Transcript::ofKind(EventKind kind) const {
  std::vector<TranscriptEvent> matching;
  for (const auto& event : events_) {
    if (event.kind == kind) matching.push_back(event);
  }
  return matching;
}

}  // namespace updater
