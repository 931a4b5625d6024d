#pragma once

// The transcript as JSON Lines: one object per event, the key "event" first,
// the other keys as the transcript's event table names them. Texts are the
// program's bytes, each as the character of the same code.

#include <string>

#include "cli/run_summary.h"
#include "platform/sim/transcript.h"

namespace updater {

/// One event as one line of JSON, without the line end.
std::string jsonEventLine(const TranscriptEvent& event);

/// The `end` event.
std::string jsonEndLine(const RunSummary& summary);

}  // namespace updater
