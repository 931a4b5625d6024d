#pragma once

// A main window that keeps what it would have shown: every message box and
// every control text goes to the transcript, boxes are answered with OK at
// once, and the last text of each control stays readable.

#include <map>
#include <string>

#include "platform/main_view.h"
#include "platform/sim/transcript.h"

namespace updater {

class RecordingMainView : public MainView {
 public:
  explicit RecordingMainView(Transcript& transcript) : transcript_(transcript) {}

  void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void setControlText(int controlId, std::string_view text) override;

  /// The text the control shows now: the last one set, empty if none was.
  std::string controlText(int controlId) const;

 private:
  Transcript& transcript_;
  std::map<int, std::string> controlTexts_;
};

}  // namespace updater
