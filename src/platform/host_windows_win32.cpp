#include "platform/host_windows.h"

#include <windows.h>

#include <climits>

namespace updater {

bool hostIsNonNtWindows() { return (GetVersion() & 0x80000000u) != 0; }

std::uint32_t hostOpenFlags() {
  return hostIsNonNtWindows() ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
}

std::optional<std::string> ansiHostPath(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty() || wide.size() > INT_MAX || wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  const int wideLength = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr) != length) {
    return std::nullopt;
  }
  // Converted back, the name must be the one asked for: this catches the
  // default character and best-fit mappings alike, on every system (the
  // flags that report them are NT's only).
  const int backLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (backLength != wideLength) return std::nullopt;
  std::wstring back(static_cast<std::size_t>(backLength), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, back.data(), backLength) != backLength || back != wide) {
    return std::nullopt;
  }
  return ansi;
}

}  // namespace updater
