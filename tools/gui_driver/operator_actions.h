#pragma once

// The operator's actions, with the same words as updater-cli's: a click on a
// button or check box, or a choice in one of the two lists.

#include <optional>
#include <string>
#include <string_view>

namespace gui_driver {

enum class ActionKind { Click, Choose };

struct OperatorAction {
  std::string name;    // as written on the command line
  ActionKind kind;
  int controlId;       // the button, check box or list
  std::string choice;  // Choose: the text of the item to choose
};

/// The action a word names, or nothing for an unknown word.
std::optional<OperatorAction> parseAction(std::string_view word);

}  // namespace gui_driver
