#include "platform/clock.h"

#include <cstdio>

namespace updater {

std::string isoDate(const LocalDate& date) {
  char text[16];
  (void)std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

}  // namespace updater
