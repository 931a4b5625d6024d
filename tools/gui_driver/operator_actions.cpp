#include "operator_actions.h"

namespace gui_driver {
namespace {

struct ClickRow {
  std::string_view word;
  int controlId;
};

// Push buttons and auto check boxes of the main window.
constexpr ClickRow kClicks[] = {
    {"getinfo", 5},      // "GetInfo"
    {"userinfo", 1010},  // "UserISPInfo"
    {"selfdriver", 1035},  // "SelfDriverSel"
    {"ispena", 1031},    // "ISP_Ena"
    {"msmode", 1032},    // "ISP_MS F/W"
    {"isp", 3},          // "WIN9xISP"
    {"verify", 4},       // "WIN9xVER"
    {"close", 8},        // "Close"
};

struct ChoiceRow {
  std::string_view prefix;
  int controlId;
};

// Drop-down lists, chosen by an item's text.
constexpr ChoiceRow kChoices[] = {
    {"driver=", 1027},  // "Driver Select"
    {"device=", 1030},  // "Device Sel"
};

}  // namespace

std::optional<OperatorAction> parseAction(std::string_view word) {
  for (const auto& row : kClicks) {
    if (word == row.word) return OperatorAction{std::string(word), ActionKind::Click, row.controlId, {}};
  }
  for (const auto& row : kChoices) {
    if (word.starts_with(row.prefix) && word.size() > row.prefix.size()) {
      return OperatorAction{std::string(word), ActionKind::Choose, row.controlId,
                            std::string(word.substr(row.prefix.size()))};
    }
  }
  return std::nullopt;
}

}  // namespace gui_driver
