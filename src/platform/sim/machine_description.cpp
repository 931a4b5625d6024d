#include "platform/sim/machine_description.h"

namespace updater {

std::uint32_t versionWord(const WindowsVersion& windows) {
  const auto major = static_cast<std::uint32_t>(windows.major) & 0xFF;
  const auto minor = static_cast<std::uint32_t>(windows.minor) & 0xFF;
  const std::uint32_t nonNt = windows.nt ? 0 : 0x80000000u;
  return nonNt | (minor << 8) | major;
}

ReaderInquiry plainDiskInquiry() { return {"ATA", "Disk", "1.00"}; }

}  // namespace updater
