#pragma once

// The program's view of the operating system: a few calls shaped like the
// Win32 ones the program uses. The core builds every byte it hands over (pass-
// through headers, driver records, request blocks); a backend only carries
// them. Backends: win32 (the real API) and sim (the simulated machine).
//
// Calls never throw. Each documents what success means and what a failure
// returns.

#include <cstdint>
#include <string_view>

namespace updater {

/// A local calendar date as the platform's local time gives it.
struct LocalDate {
  int year = 0;   // four digits, e.g. 2007
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

class Port {
 public:
  virtual ~Port() = default;

  /// The packed version word of GetVersion: low byte major version, next
  /// byte minor version, bit 31 set on the non-NT family.
  virtual std::uint32_t versionWord() = 0;

  /// Blocks the calling thread for `milliseconds` (Sleep). The simulated
  /// machine only advances its virtual clock, so tests never wait.
  virtual void sleep(std::uint32_t milliseconds) = 0;

  /// Today's local calendar date (GetLocalTime / localtime).
  virtual LocalDate localDate() = 0;

  /// Writes one line to the process's console output (which a window
  /// program does not show). `line` carries no line feed of its own.
  virtual void consoleLine(std::string_view line) = 0;
};

}  // namespace updater
