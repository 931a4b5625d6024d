#pragma once

// The transcript for people: each action as a heading, message boxes framed
// with their icon and caption, the report area and the lists as they read,
// the status window's log as it grows, and its progress bar. On a terminal
// the bar is one line redrawn in place as the window steps it (its label and
// its position in its range); elsewhere each step is a plain line.

#include <ostream>
#include <string>

#include "cli/run_summary.h"
#include "platform/sim/progress_bar.h"
#include "platform/sim/transcript.h"

namespace updater {

class TextTranscriptWriter {
 public:
  TextTranscriptWriter(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

  void write(const TranscriptEvent& event);
  /// The `end` event; also writes out anything still held back.
  void writeEnd(const RunSummary& summary);

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

  /// One finished line; on a terminal the bar is moved below it.
  void line(const std::string& text);
  /// `text` split at its line feeds, each line after `prefix`.
  void block(const std::string& prefix, const std::string& text);
  void flushPendingList();
  void drawBar();
  void endBar();

  std::ostream& out_;
  bool terminal_;

  // A list changes item by item; only its state after the last change of a
  // run of changes is written.
  bool listPending_ = false;
  TranscriptEvent pendingList_;

  // The status window as it stands.
  std::string statusLabel_;
  std::string statusText_;
  ProgressBar bar_;
  bool barDrawn_ = false;
};

}  // namespace updater
