#pragma once

// Checking a request record field by field, as the simulated machine does for
// every request the program sends: a table of (name, offset, width, expected
// value) and the first deviation as a text that names the request and field.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace updater {

struct FieldCheck {
  const char* name;
  std::size_t offset;
  std::size_t width;  // 1, 2 or 4 bytes, little-endian
  std::uint32_t expected;
};

/// "`request`: `field` `actual`, expected `expected`".
std::string deviation(std::string_view request, std::string_view field, std::uint32_t actual,
                      std::uint32_t expected);

/// The first field of `bytes` that differs from its check, as a deviation
/// text; empty when all match.
std::string firstDeviation(std::string_view request, ConstBytes bytes, std::span<const FieldCheck> checks);

}  // namespace updater
