#pragma once

// Where the transcript goes: the text form or JSON Lines on the output
// stream, one event at a time, then the `end` event. A run on the simulated
// machine hands over its events when it is over; a run on real readers as
// they come.

#include <memory>

#include "cli/run_summary.h"
#include "cli/text_events.h"
#include "cli/updater_cli.h"
#include "platform/sim/transcript.h"

namespace updater {

class TranscriptOutput {
 public:
  /// `live`: each event is flushed out as soon as it is written.
  TranscriptOutput(const CliStreams& streams, bool json, bool live);

  void write(const TranscriptEvent& event);
  void end(const RunSummary& summary);

 private:
  std::ostream& out_;
  bool json_;
  bool live_;
  std::unique_ptr<TextTranscriptWriter> text_;  // none for JSON
};

}  // namespace updater
