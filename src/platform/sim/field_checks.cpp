#include "platform/sim/field_checks.h"

#include "common/text_format.h"

namespace updater {
namespace {

std::uint32_t readField(ConstBytes bytes, std::size_t offset, std::size_t width) {
  switch (width) {
    case 1:
      return getU8(bytes, offset);
    case 2:
      return getU16(bytes, offset);
    default:
      return getU32(bytes, offset);
  }
}

}  // namespace

std::string deviation(std::string_view request, std::string_view field, std::uint32_t actual,
                      std::uint32_t expected) {
  std::string text(request);
  text += ": ";
  text += field;
  text += ' ';
  appendDecimal(text, actual);
  text += ", expected ";
  appendDecimal(text, expected);
  return text;
}

std::string firstDeviation(std::string_view request, ConstBytes bytes, std::span<const FieldCheck> checks) {
  for (const auto& check : checks) {
    const std::uint32_t actual = readField(bytes, check.offset, check.width);
    if (actual != check.expected) return deviation(request, check.name, actual, check.expected);
  }
  return {};
}

}  // namespace updater
