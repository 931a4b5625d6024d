#include "cli/transcript_output.h"

#include "cli/json_events.h"

namespace updater {

TranscriptOutput::TranscriptOutput(const CliStreams& streams, bool json, bool live)
    : out_(streams.out), json_(json), live_(live) {
  if (!json_) text_ = std::make_unique<TextTranscriptWriter>(out_, streams.outIsTerminal);
}

void TranscriptOutput::write(const TranscriptEvent& event) {
  if (json_) {
    out_ << jsonEventLine(event) << '\n';
  } else {
    text_->write(event);
  }
  if (live_) out_.flush();
}

void TranscriptOutput::end(const RunSummary& summary) {
  if (json_) {
    out_ << jsonEndLine(summary) << '\n';
  } else {
    text_->writeEnd(summary);
  }
  out_.flush();
}

}  // namespace updater
