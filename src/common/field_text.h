#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace updater {

/// A fixed-width text field as text: up to its first NUL, never past its
/// width.
template <std::size_t N>
std::string_view fieldText(const std::array<char, N>& field) {
  const std::string_view whole(field.data(), N);
  return whole.substr(0, whole.find('\0'));
}

}  // namespace updater
