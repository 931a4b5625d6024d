#pragma once

// The status window ("PROCESS STATUS DIALOG") as a platform view: a log text
// area (control 1019), a right-aligned label (control 1014) and the driven
// progress bar (control 333). One window exists at a time; `create` makes a
// fresh hidden one with its bar at position 0, `destroy` removes it.

#include <cstdint>
#include <string_view>

namespace updater {

class StatusView {
 public:
  virtual ~StatusView() = default;

  virtual void create() = 0;
  virtual void destroy() = 0;
  virtual void show() = 0;
  virtual void hide() = 0;

  /// PBM_SETRANGE with both bounds packed into one argument.
  virtual void setRange(std::uint16_t low, std::uint16_t high) = 0;
  /// PBM_SETSTEP: the increment of the next `stepIt`s.
  virtual void setStep(int step) = 0;
  /// PBM_STEPIT: advances the bar; past the upper bound it starts over.
  virtual void stepIt() = 0;

  /// Replaces the whole text of the log area (control 1019).
  virtual void showText(std::string_view text) = 0;
  /// Replaces the label (control 1014).
  virtual void showLabel(std::string_view text) = 0;
};

}  // namespace updater
