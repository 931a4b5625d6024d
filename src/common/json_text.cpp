#include "common/json_text.h"

#include "common/text_format.h"

namespace updater {

std::string jsonString(std::string_view bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (code < 0x20 || code > 0x7E) {
      text += "\\u";
      appendPaddedHex(text, code, 4);
    } else {
      text += c;
    }
  }
  return text + '"';
}

std::string jsonHexBytes(ConstBytes bytes) {
  std::string text = "\"";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) text += ' ';
    appendPaddedHex(text, bytes[i], 2);
  }
  return text + '"';
}

std::string jsonMember(std::string_view name, std::string_view value) {
  std::string text = jsonString(name);
  text += ": ";
  text += value;
  return text;
}

std::string jsonInlineObject(const std::vector<std::string>& members) {
  std::string text = "{";
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i > 0) text += ", ";
    text += members[i];
  }
  return text + '}';
}

std::string jsonBlock(char open, const std::vector<std::string>& items, char close, std::size_t indent) {
  std::string text(1, open);
  if (items.empty()) return text + close;
  const std::string itemIndent(indent + 2, ' ');
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += i > 0 ? ",\n" : "\n";
    text += itemIndent;
    text += items[i];
  }
  text += '\n';
  text += std::string(indent, ' ');
  return text + close;
}

}  // namespace updater
