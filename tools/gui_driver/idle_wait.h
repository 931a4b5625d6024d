#pragma once

// Waiting until the program under test has finished what the operator asked,
// answering every message box on the way.
//
// The program is idle when it is back in its main window's loop: no message
// box exists, no status window is shown, and its thread answers a message
// sent to the main window. The answer alone is not proof: a message box's
// loop answers too, and the box may exist but not yet be found when the
// message arrives, or the click the driver posted may not yet have been taken
// from the queue when the sent message (which goes first) is answered. So the
// windows are looked at again after each answer, and only several quiet
// probes in a row, some time apart, count as idle.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "message_box.h"
#include "target_process.h"

namespace gui_driver {

enum class Settled { Idle, Exited, Failed };

class IdleWait {
 public:
  using BoxSeen = std::function<void(const MessageBoxSeen&)>;

  IdleWait(const TargetProcess& process, BoxSeen onBox) : process_(process), onBox_(std::move(onBox)) {}

  /// Answers message boxes (each reported to the callback first) until the
  /// program is idle or has ended. Failed, with `error` set, at `deadline` or
  /// when a box cannot be read or answered.
  Settled settle(Clock::time_point deadline, std::string& error);

  /// The main window, once it has been seen.
  HWND mainWindow() const { return main_; }

 private:
  bool answerBox(HWND box, Clock::time_point deadline, std::string& error);
  bool quietProbe();

  const TargetProcess& process_;
  BoxSeen onBox_;
  HWND main_ = nullptr;
};

}  // namespace gui_driver
