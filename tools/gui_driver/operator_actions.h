#pragma once

// The operator's actions, with the same words as updater-cli's: a click on a
// button or check box, or a choice in one of the two lists. Two more are the
// driver's own, so that two stations sharing a folder can be made to take
// turns in a known order: "awaitjob" waits until another program on the
// display runs a job (shows its status window), "awaitidle" until every
// other program is back in its main window's loop, its job over.

#include <optional>
#include <string>
#include <string_view>

namespace gui_driver {

enum class ActionKind { Click, Choose, AwaitOtherJob, AwaitOthersIdle };

struct OperatorAction {
  std::string name;    // as written on the command line
  ActionKind kind;
  int controlId;       // the button, check box or list; 0 for the waits
  std::string choice;  // Choose: the text of the item to choose
};

/// The action a word names, or nothing for an unknown word.
std::optional<OperatorAction> parseAction(std::string_view word);

}  // namespace gui_driver
