#include "app/windows_family.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

constexpr std::uint32_t versionWord(bool nonNt, std::uint32_t major, std::uint32_t minor) {
  return (nonNt ? 0x80000000u : 0u) | (minor << 8) | major;
}

struct FamilyCase {
  const char* name;
  std::uint32_t versionWord;
  OsMode osMode;
  const char* message;
};

TEST(WindowsFamily, VersionWordGivesFamilyAndMessage) {
  const FamilyCase cases[] = {
      {"Windows 95", versionWord(true, 4, 0), OsMode::Win98, ""},
      {"Windows 98", versionWord(true, 4, 10), OsMode::Win98, ""},
      {"Windows ME", versionWord(true, 4, 90), OsMode::WinMe, ""},
      {"Windows 2000", versionWord(false, 5, 0), OsMode::Win2000, ""},
      {"Windows XP", versionWord(false, 5, 1), OsMode::WinXp, ""},
      {"Windows Vista", versionWord(false, 6, 0), OsMode::WinXp, ""},
      {"NT 5.2", versionWord(false, 5, 2), OsMode::Unsupported, "NT => MajorVersion : 5 , MinorVersion : 2"},
      {"NT 6.1", versionWord(false, 6, 1), OsMode::Unsupported, "NT => MajorVersion : 6 , MinorVersion : 1"},
      {"NT 4.0", versionWord(false, 4, 0), OsMode::Unsupported, "NT => MajorVersion : 4 , MinorVersion : 0"},
      {"non-NT 5.0", versionWord(true, 5, 0), OsMode::Unsupported,
       "Not NT => MajorVersion : 5 , MinorVersion : 0"},
      {"non-NT 4.91", versionWord(true, 4, 91), OsMode::Unsupported,
       "Not NT => MajorVersion : 4 , MinorVersion : 91"},
      {"build number in the high word", 0x0A280105u, OsMode::WinXp, ""},
      {"non-NT build bits", 0xC0000A04u, OsMode::Win98, ""},
  };
  for (const auto& row : cases) {
    const WindowsFamily family = detectWindowsFamily(row.versionWord);
    EXPECT_EQ(family.osMode, row.osMode) << row.name;
    EXPECT_EQ(family.versionMessage, row.message) << row.name;
  }
}

}  // namespace
}  // namespace updater
