#include "operator_actions.h"

#include "app/control_ids.h"

namespace gui_driver {
namespace {

struct ClickRow {
  std::string_view word;
  int controlId;
};

// Push buttons and auto check boxes of the main window.
constexpr ClickRow kClicks[] = {
    {"getinfo", updater::control::kGetInfoButton},
    {"userinfo", updater::control::kUserIspInfoButton},
    {"selfdriver", updater::control::kSelfDriverBox},
    {"ispena", updater::control::kIspEnableBox},
    {"msmode", updater::control::kMsModeBox},
    {"isp", updater::control::kIspButton},
    {"verify", updater::control::kVerifyButton},
    {"close", updater::control::kCloseButton},
};

struct ChoiceRow {
  std::string_view prefix;
  int controlId;
};

// Drop-down lists, chosen by an item's text.
constexpr ChoiceRow kChoices[] = {
    {"driver=", updater::control::kDriverList},
    {"device=", updater::control::kDeviceList},
};

struct WaitRow {
  std::string_view word;
  ActionKind kind;
};

// Waits for the other programs on the display.
constexpr WaitRow kWaits[] = {
    {"awaitjob", ActionKind::AwaitOtherJob},
    {"awaitidle", ActionKind::AwaitOthersIdle},
};

}  // namespace

std::optional<OperatorAction> parseAction(std::string_view word) {
  for (const auto& row : kWaits) {
    if (word == row.word) return OperatorAction{std::string(word), row.kind, 0, {}};
  }
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
