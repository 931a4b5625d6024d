#pragma once

#include <cstdint>

namespace updater {

/// The Windows family the program runs on, decided once at start-up from the
/// version word. The numbers are the family's code throughout the program.
enum class OsMode : std::uint32_t {
  Unsupported = 0,  // anything below; the program refuses to run
  Win98 = 1,        // non-NT 4.0 or 4.10 (Windows 95, 98)
  WinMe = 2,        // non-NT 4.90
  Win2000 = 3,      // NT 5.0
  WinXp = 4,        // NT 5.1 (XP) or 6.0 (Vista)
  Host = 5,         // a host that is not Windows (Linux): the pass-through route on its SCSI generic nodes
};

}  // namespace updater
