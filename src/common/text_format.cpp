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

void appendDecimal(std::string& text, std::uint32_t value) { appendInBase(text, value, 10); }

std::string hexText(std::uint32_t value) {
  std::string text;
  appendHex(text, value);
  return text;
}

}  // namespace updater
