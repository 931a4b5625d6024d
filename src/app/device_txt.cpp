#include "app/device_txt.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/plain_file.h"

namespace updater {
namespace {

// The file is only read, so a failed close loses nothing and is not reported.
struct FileCloser {
  void operator()(std::FILE* file) const { (void)std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The white space of a formatted string read in the "C" locale.
bool isWhiteSpace(char character) {
  switch (character) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
      return true;
    default:
      return false;
  }
}

// A token the reading buffer holds; a longer one matches nothing.
bool tokenEquals(std::string_view token, std::string_view expected) {
  return token.size() < kTokenCapacity && token == expected;
}

// Reads the white-space separated tokens of the file from its start, as a
// sequence of formatted string reads does: the white space that ends a token
// is not consumed with it.
class TokenReader {
 public:
  explicit TokenReader(std::string_view text) : text_(text) {}

  /// The next token; empty at the end of the file.
  std::string_view next() {
    while (position_ < text_.size() && isWhiteSpace(text_[position_])) ++position_;
    const std::size_t start = position_;
    while (position_ < text_.size() && !isWhiteSpace(text_[position_])) ++position_;
    return text_.substr(start, position_ - start);
  }

  /// `token`, the one just read, with the characters after it appended up to
  /// and including the next double quote and one character more (the
  /// expected semicolon), or up to the end of the file.
  std::string_view extendThroughQuote(std::string_view token) {
    const std::size_t quote = text_.find('"', position_);
    position_ = quote == std::string_view::npos ? text_.size() : std::min(quote + 2, text_.size());
    const auto start = static_cast<std::size_t>(token.data() - text_.data());
    return text_.substr(start, position_ - start);
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

KeyLookup notFound() { return KeyLookup{KeyStatus::keyNotFound, {}, 0}; }

// Checks a value token that starts with its opening quote: where its last
// semicolon stands decides how many characters the value has.
KeyLookup valueOfToken(std::string_view token, std::size_t maximum) {
  if (token.size() >= kTokenCapacity) return notFound();
  const std::size_t semicolon = token.rfind(';');
  if (semicolon == std::string_view::npos) return notFound();
  // Counted from 1, the closing quote at P - 1 and the opening one at 1
  // leave P - 3 characters of value.
  const std::size_t position = semicolon + 1;
  if (position < 3 || position > maximum + 3) return notFound();
  return KeyLookup{KeyStatus::keyFound, token, position - 3};
}

}  // namespace

DeviceTxt deviceTxtFromBytes(std::string_view bytes) {
  DeviceTxt file{true, {}};
  file.text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool lineEnd = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    if (!lineEnd) file.text.push_back(bytes[i]);
  }
  return file;
}

DeviceTxt readDeviceTxt(const std::filesystem::path& directory) {
  const std::filesystem::path path = directory / kDeviceTxtName;
  if (checkPlainFile(path, kDeviceTxtMaxBytes) != PlainFileCheck::Readable) return {};
  const FileHandle handle(std::fopen(path.string().c_str(), "rb"));
  if (!handle) return {};
  std::string bytes;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, handle.get())) > 0) bytes.append(chunk, got);
  // A directory opens on some systems and then fails to read.
  if (std::ferror(handle.get()) != 0) return {};
  return deviceTxtFromBytes(bytes);
}

KeyLookup lookupKey(const DeviceTxt& file, std::string_view key, std::size_t maximum) {
  if (!file.opened) return KeyLookup{KeyStatus::keyNoFile, {}, 0};
  TokenReader reader(file.text);
  for (std::string_view token = reader.next(); !tokenEquals(token, key); token = reader.next()) {
    if (token.empty()) return notFound();
  }
  // Only the first occurrence of the key counts, well-formed or not.
  if (!tokenEquals(reader.next(), "=")) return notFound();
  std::string_view token = reader.next();
  if (token.empty() || token.front() != '"') return notFound();
  const std::size_t lastQuote = token.rfind('"');
  if (lastQuote == 1) return notFound();  // an empty value
  // An opening quote alone: the value holds white space, read on through the
  // closing quote.
  if (lastQuote == 0) token = reader.extendThroughQuote(token);
  return valueOfToken(token, maximum);
}

Byte hexDigitValue(char character) {
  if (character >= '0' && character <= '9') return static_cast<Byte>(character - '0');
  if (character >= 'A' && character <= 'F') return static_cast<Byte>(character - 'A' + 10);
  if (character >= 'a' && character <= 'f') return static_cast<Byte>(character - 'a' + 10);
  return 0;
}

bool isHexDigit(char character) {
  return (character >= '0' && character <= '9') || (character >= 'A' && character <= 'F') ||
         (character >= 'a' && character <= 'f');
}

}  // namespace updater
