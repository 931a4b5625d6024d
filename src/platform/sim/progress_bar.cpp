#include "platform/sim/progress_bar.h"

#include <algorithm>

namespace updater {

void ProgressBar::setRange(std::uint16_t newLow, std::uint16_t newHigh) {
  low = newLow;
  high = newHigh;
  if (high > low) position = std::clamp(position, low, high);
}

void ProgressBar::stepIt() {
  if (high <= low) return;  // an empty range never moves
  position += step;
  const int span = high - low;
  if (position > high) position = (position - low) % span + low;
  if (position < low) position = (position - low) % span + high;
}

}  // namespace updater
