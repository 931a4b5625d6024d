#pragma once

// The program's number formats in texts: C's "%x" and "%d" without leading
// zeros, written into a caller's string without touching the heap when the
// string has room.

#include <cstdint>
#include <string>

namespace updater {

/// Appends `value` in lower-case hexadecimal without leading zeros ("%x").
void appendHex(std::string& text, std::uint32_t value);

/// Appends `value` in lower-case hexadecimal with at least `minDigits`
/// digits, zeros in front ("%02x", "%04x").
void appendPaddedHex(std::string& text, std::uint32_t value, std::size_t minDigits);

/// Appends `value` in decimal ("%u").
void appendDecimal(std::string& text, std::uint32_t value);

/// `value` as "%x" text.
std::string hexText(std::uint32_t value);

}  // namespace updater
