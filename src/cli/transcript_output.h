#pragma once

// Where the transcript goes: the text form or JSON Lines on the output
// stream, one event at a time, then the `end` event. A run on the simulated
// machine hands over its events when it is over; a run on real readers as
// they come.
//
// In the text form the events of the readers' runs of isp-all and
// verify-all each go to a writer of that reader's, whose lines start with
// "[reader N] ". On a terminal their progress bars stand together below the
// lines, one per reader, redrawn in place.

#include <map>
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
  void writeText(const TranscriptEvent& event);
  TextTranscriptWriter& readerWriter(int reader);
  void eraseBars();
  void drawBars();

  std::ostream& out_;
  bool json_;
  bool live_;
  bool terminal_;
  std::unique_ptr<TextTranscriptWriter> text_;  // none for JSON
  std::map<int, std::unique_ptr<TextTranscriptWriter>> readerTexts_;
  /// Lines of readers' bars on the terminal below the last line written.
  int barLines_ = 0;
};

}  // namespace updater
