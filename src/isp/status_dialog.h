#pragma once

// One run's status window. Construction creates a fresh hidden window with
// its bar at 0; destruction destroys it, so every way out of a run leaves no
// window behind. The run hides it itself, before any message box.

#include <cstdint>
#include <string_view>

#include "platform/status_view.h"

namespace updater {

class StatusDialog {
 public:
  explicit StatusDialog(StatusView& view) : view_(view) { view_.create(); }
  ~StatusDialog() { view_.destroy(); }
  StatusDialog(const StatusDialog&) = delete;
  StatusDialog& operator=(const StatusDialog&) = delete;

  void setRange(std::uint16_t low, std::uint16_t high) { view_.setRange(low, high); }
  void setStep(int step) { view_.setStep(step); }
  void stepIt() { view_.stepIt(); }
  void showText(std::string_view text) { view_.showText(text); }
  void showLabel(std::string_view text) { view_.showLabel(text); }
  void show() { view_.show(); }
  void hide() { view_.hide(); }

  /// One progress point: `setStep(weight)` then `stepIt`; weight 0 is a
  /// point the route does not have.
  void progress(int weight) {
    if (weight == 0) return;
    setStep(weight);
    stepIt();
  }

 private:
  StatusView& view_;
};

}  // namespace updater
