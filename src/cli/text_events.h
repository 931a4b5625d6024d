#pragma once

// The transcript for people: each action as a heading, message boxes framed
// with their icon and caption, the report area and the lists as they read,
// the status window's log as it grows, and its progress bar. On a terminal
// the bar is one line redrawn in place as the window steps it (its label and
// its position in its range); elsewhere each step is a plain line.

#include <optional>
#include <ostream>
#include <string>

#include "cli/run_summary.h"
#include "platform/sim/progress_bar.h"
#include "platform/sim/transcript.h"

namespace updater {

class TextTranscriptWriter {
 public:
  /// Where the progress bar goes: redrawn in place (a terminal), a plain
  /// line per step, or left to the caller, who asks for barLine.
  enum class Bars { InPlace, Lines, Elsewhere };

  TextTranscriptWriter(std::ostream& out, bool terminal)
      : TextTranscriptWriter(out, terminal ? Bars::InPlace : Bars::Lines, "") {}
  /// Each line written starts with `linePrefix`.
  TextTranscriptWriter(std::ostream& out, Bars bars, std::string linePrefix)
      : out_(out), bars_(bars), linePrefix_(std::move(linePrefix)) {}

  void write(const TranscriptEvent& event);
  /// The `end` event; also writes out anything still held back.
  void writeEnd(const RunSummary& summary);

  /// Writes a list change held back, before another writer's lines.
  void flushHeld() { flushPendingList(); }

  /// The bar as it stands while the status window is shown, as one line
  /// without its line end: the line prefix, the label and the position.
  std::optional<std::string> barLine() const;

 private:
  void writeAction(const TranscriptEvent& event);
  void writeMessageBox(const TranscriptEvent& event);
  void writeControl(const TranscriptEvent& event);
  void writeList(const TranscriptEvent& event);
  void writeStatusWindow(const TranscriptEvent& event);
  void statusCreated(const TranscriptEvent& event);
  void statusShown(const TranscriptEvent& event);
  void statusHidden(const TranscriptEvent& event);
  void statusDestroyed(const TranscriptEvent& event);
  void statusLabelSet(const TranscriptEvent& event);
  void statusTextSet(const TranscriptEvent& event);
  void statusRangeSet(const TranscriptEvent& event);
  void statusStepSet(const TranscriptEvent& event);
  void statusStepped(const TranscriptEvent& event);
  void writeIo(const TranscriptEvent& event);
  void writeReaderResult(const TranscriptEvent& event);
  void writeReaderTotals(const TranscriptEvent& event);

  /// One finished line; on a terminal the bar is moved below it.
  void line(const std::string& text);
  /// `text` split at its line feeds, each line after `prefix`.
  void block(const std::string& prefix, const std::string& text);
  void flushPendingList();
  std::string barText() const;
  void drawBar();
  void endBar();

  std::ostream& out_;
  Bars bars_;
  std::string linePrefix_;

  // A list changes item by item; only its state after the last change of a
  // run of changes is written.
  bool listPending_ = false;
  TranscriptEvent pendingList_;

  // The status window as it stands.
  std::string statusLabel_;
  std::string statusText_;
  ProgressBar bar_;
  bool barDrawn_ = false;
  bool statusShown_ = false;
};

}  // namespace updater
