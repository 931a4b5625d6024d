#pragma once

// Time as the program sees it: the pauses of the protocol, today's date and
// the time of day.
// Part of the platform port, so that tests control time: the simulated
// machine only advances a virtual clock and never waits.

#include <cstdint>
#include <string>

namespace updater {

/// A local calendar date as the platform's local time gives it.
struct LocalDate {
  int year = 0;   // four digits, e.g. 2007
  int month = 0;  // 1..12
  int day = 0;    // 1..31

  friend bool operator==(const LocalDate&, const LocalDate&) = default;
};

/// "2007-12-25": the ISO 8601 form, as the machine file and the history
/// write a date.
std::string isoDate(const LocalDate& date);

/// A local date and time of day, to the second.
struct LocalDateTime {
  LocalDate date;
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

class Clock {
 public:
  virtual ~Clock() = default;

  /// Blocks the calling thread for `milliseconds` (Sleep).
  virtual void sleep(std::uint32_t milliseconds) = 0;

  /// The local date and time of day (GetLocalTime / localtime), read at
  /// once so that the two belong together. Cannot fail.
  virtual LocalDateTime localDateTime() = 0;

  /// Today's local calendar date: the date of localDateTime.
  LocalDate localDate() { return localDateTime().date; }
};

}  // namespace updater
