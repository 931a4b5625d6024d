#include "app/windows_family.h"

#include "common/text_format.h"

namespace updater {
namespace {

struct FamilyRow {
  bool nonNt;
  std::uint32_t major;
  std::uint32_t minor;
  OsMode osMode;
};

constexpr FamilyRow kFamilies[] = {
    {true, 4, 0, OsMode::Win98},     // Windows 95
    {true, 4, 10, OsMode::Win98},    // Windows 98
    {true, 4, 90, OsMode::WinMe},    // Windows ME
    {false, 5, 0, OsMode::Win2000},  // Windows 2000
    {false, 5, 1, OsMode::WinXp},    // Windows XP
    {false, 6, 0, OsMode::WinXp},    // Windows Vista
};

constexpr std::uint32_t kNonNtBit = 0x80000000u;

std::string versionMessage(bool nonNt, std::uint32_t major, std::uint32_t minor) {
  std::string text = nonNt ? "Not NT => MajorVersion : " : "NT => MajorVersion : ";
  appendDecimal(text, major);
  text += " , MinorVersion : ";
  appendDecimal(text, minor);
  return text;
}

}  // namespace

WindowsFamily detectWindowsFamily(std::uint32_t versionWord) {
  const bool nonNt = (versionWord & kNonNtBit) != 0;
  const std::uint32_t major = versionWord & 0xFF;
  const std::uint32_t minor = (versionWord >> 8) & 0xFF;
  for (const auto& row : kFamilies) {
    if (row.nonNt == nonNt && row.major == major && row.minor == minor) return {row.osMode, ""};
  }
  return {OsMode::Unsupported, versionMessage(nonNt, major, minor)};
}

}  // namespace updater
