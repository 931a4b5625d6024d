#include "platform/edit_control_text.h"

namespace updater {

std::string toEditControlText(std::string_view text) {
  std::string widened;
  widened.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') widened += '\r';
    widened += c;
  }
  return widened;
}

std::string fromEditControlText(std::string_view text) {
  std::string narrowed;
  narrowed.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    narrowed += text[i];
  }
  return narrowed;
}

}  // namespace updater
