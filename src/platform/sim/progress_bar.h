#pragma once

// The platform progress control's arithmetic, for views that draw their own
// bar. It follows the common controls: a new range pulls the position into
// it; a step that carries the position past the upper bound wraps it around
// to the lower bound, keeping the remainder.

#include <cstdint>

namespace updater {

struct ProgressBar {
  int low = 0;
  int high = 100;
  int step = 10;
  int position = 0;

  void setRange(std::uint16_t newLow, std::uint16_t newHigh);
  void stepIt();
};

}  // namespace updater
