#pragma once

// Which Windows family the program runs on, from the platform version word.

#include <cstdint>
#include <string>

#include "device/os_mode.h"

namespace updater {

struct WindowsFamily {
  OsMode osMode = OsMode::Unsupported;
  /// For an unsupported version, the warning that names it ("NT =>
  /// MajorVersion : 5 , MinorVersion : 2"); empty for a supported one.
  std::string versionMessage;
};

/// Reads the version word of GetVersion: low byte major version, next byte
/// minor version, bit 31 set on the non-NT family.
WindowsFamily detectWindowsFamily(std::uint32_t versionWord);

}  // namespace updater
