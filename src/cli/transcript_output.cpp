#include "cli/transcript_output.h"

#include <string>

#include "cli/json_events.h"

namespace updater {

TranscriptOutput::TranscriptOutput(const CliStreams& streams, bool json, bool live)
    : out_(streams.out), json_(json), live_(live), terminal_(streams.outIsTerminal) {
  if (!json_) text_ = std::make_unique<TextTranscriptWriter>(out_, streams.outIsTerminal);
}

void TranscriptOutput::write(const TranscriptEvent& event) {
  if (json_) {
    out_ << jsonEventLine(event) << '\n';
  } else {
    writeText(event);
  }
  if (live_) out_.flush();
}

namespace {

// What a reader's run shows; its requests and pauses are the machine's.
bool isReaderView(const TranscriptEvent& event) {
  switch (event.kind) {
    case EventKind::MessageBox:
    case EventKind::Control:
    case EventKind::List:
    case EventKind::StatusWindow: return event.reader > 0;
    default: return false;
  }
}

}  // namespace

void TranscriptOutput::writeText(const TranscriptEvent& event) {
  eraseBars();
  TextTranscriptWriter& writer = isReaderView(event) ? readerWriter(event.reader) : *text_;
  // A list change is held back until the next event; another writer's
  // lines must not overtake it.
  if (&writer != text_.get()) text_->flushHeld();
  for (const auto& entry : readerTexts_) {
    if (entry.second.get() != &writer) entry.second->flushHeld();
  }
  writer.write(event);
  drawBars();
}

TextTranscriptWriter& TranscriptOutput::readerWriter(int reader) {
  std::unique_ptr<TextTranscriptWriter>& writer = readerTexts_[reader];
  if (!writer) {
    const auto bars = terminal_ ? TextTranscriptWriter::Bars::Elsewhere : TextTranscriptWriter::Bars::Lines;
    writer = std::make_unique<TextTranscriptWriter>(out_, bars, "[reader " + std::to_string(reader) + "] ");
  }
  return *writer;
}

void TranscriptOutput::eraseBars() {
  if (barLines_ == 0) return;
  // Up to the first bar's line, then clear to the end of the screen.
  out_ << "\033[" << barLines_ << "F\033[J";
  barLines_ = 0;
}

void TranscriptOutput::drawBars() {
  if (!terminal_) return;
  for (const auto& [reader, writer] : readerTexts_) {
    if (const std::optional<std::string> bar = writer->barLine()) {
      out_ << *bar << '\n';
      ++barLines_;
    }
  }
}

void TranscriptOutput::end(const RunSummary& summary) {
  if (json_) {
    out_ << jsonEndLine(summary) << '\n';
  } else {
    eraseBars();
    for (const auto& entry : readerTexts_) entry.second->flushHeld();
    text_->writeEnd(summary);
  }
  out_.flush();
}

}  // namespace updater
