#pragma once

// A main window that keeps what it would have shown: every message box goes
// to the transcript and is answered with OK at once.

#include "platform/main_view.h"
#include "platform/sim/transcript.h"

namespace updater {

class RecordingMainView : public MainView {
 public:
  explicit RecordingMainView(Transcript& transcript) : transcript_(transcript) {}

  void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;

 private:
  Transcript& transcript_;
};

}  // namespace updater
