#include "common/text_format.h"

#include <charconv>

namespace updater {
namespace {

void appendInBase(std::string& text, std::uint32_t value, int base) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value, base);
  text.append(digits, result.ptr);
}

}  // namespace

void appendHex(std::string& text, std::uint32_t value) { appendInBase(text, value, 16); }

void appendPaddedHex(std::string& text, std::uint32_t value, std::size_t minDigits) {
  char digits[16];
  auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
  const auto count = static_cast<std::size_t>(result.ptr - digits);
  if (count < minDigits) text.append(minDigits - count, '0');
  text.append(digits, result.ptr);
}

void appendDecimal(std::string& text, std::uint32_t value) { appendInBase(text, value, 10); }

std::string hexText(std::uint32_t value) {
  std::string text;
  appendHex(text, value);
  return text;
}

}  // namespace updater
