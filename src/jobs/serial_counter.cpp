#include "jobs/serial_counter.h"

#include <filesystem>
#include <fstream>

#include "common/plain_file.h"
#include "common/text_format.h"
#include "jobs/file_replacement.h"

namespace updater {
namespace {

constexpr std::array<std::string_view, 3> kLoadMessages{
    "",                                        // Ok
    "Error!!!  Can Not Open Serial.txt !!!",   // CannotOpen
    "Error!!! CEM,PC,SERIAL Not Correct !!!",  // NotCorrect
};

constexpr std::array<std::string_view, 2> kSaveMessages{
    "",                                                      // Ok
    "nError!!! Cannot save [SERIAL.TXT], program terminate",  // CannotSave
};

// The three numbers of the file in their order, each with its largest
// accepted value.
struct CounterField {
  std::uint32_t SerialCounter::*field;
  std::uint32_t maximum;
};
constexpr std::array<CounterField, 3> kCounterFields{{
    {&SerialCounter::cem, 0xFF},
    {&SerialCounter::pc, 0xFF},
    {&SerialCounter::cnt, 0xFFFF},
}};

constexpr int kEnd = -1;

// Characters of a text in memory, and of an open file, behind the same two
// calls; the file is read as it goes, like the C runtime's scan.
class TextChars {
 public:
  explicit TextChars(std::string_view text) : text_(text) {}
  int peek() const { return at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : kEnd; }
  void advance() { ++at_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

class FileChars {
 public:
  explicit FileChars(std::streambuf& buffer) : buffer_(buffer) {}
  int peek() {
    const auto c = buffer_.sgetc();
    return c == std::char_traits<char>::eof() ? kEnd : c;
  }
  void advance() { buffer_.sbumpc(); }

 private:
  std::streambuf& buffer_;
};

// White space as the C locale has it.
bool isWhiteSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int hexDigitValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

struct ReadNumber {
  bool converted = false;
  bool tooLarge = false;  // needs more than 32 bits
  std::uint32_t value = 0;
};

// One "%x": white space, an optional sign, an optional "0x" or "0X", hex
// digits. "0x" with no digit after it converts nothing, as in C's scan; a
// minus sign negates modulo 2^32, as strtoul does.
template <class Chars>
ReadNumber readHexNumber(Chars& chars) {
  while (isWhiteSpace(chars.peek())) chars.advance();
  const bool negative = chars.peek() == '-';
  if (negative || chars.peek() == '+') chars.advance();

  ReadNumber number;
  bool sawDigit = false;
  if (chars.peek() == '0') {
    chars.advance();
    sawDigit = true;
    if (chars.peek() == 'x' || chars.peek() == 'X') {
      chars.advance();
      sawDigit = false;
    }
  }
  for (int digit = hexDigitValue(chars.peek()); digit >= 0; digit = hexDigitValue(chars.peek())) {
    chars.advance();
    sawDigit = true;
    if (number.value > 0x0FFFFFFFu) {
      number.tooLarge = true;
    } else {
      number.value = (number.value << 4) | static_cast<std::uint32_t>(digit);
    }
  }
  number.converted = sawDigit;
  if (negative) number.value = 0u - number.value;
  return number;
}

template <class Chars>
SerialLoadResult readCounter(Chars& chars, SerialCounter& counter) {
  SerialCounter read = counter;
  bool tooLarge = false;
  for (const auto& rule : kCounterFields) {
    const ReadNumber number = readHexNumber(chars);
    if (!number.converted) break;
    tooLarge = tooLarge || number.tooLarge;
    read.*rule.field = number.value;
  }
  if (tooLarge) return SerialLoadResult::NotCorrect;
  for (const auto& rule : kCounterFields) {
    if (read.*rule.field > rule.maximum) return SerialLoadResult::NotCorrect;
  }
  counter = read;
  return SerialLoadResult::Ok;
}

}  // namespace

std::string_view serialLoadMessage(SerialLoadResult result) {
  return kLoadMessages[static_cast<std::size_t>(result)];
}

std::string_view serialSaveMessage(SerialSaveResult result) {
  return kSaveMessages[static_cast<std::size_t>(result)];
}

SerialLoadResult parseSerialCounter(std::string_view text, SerialCounter& counter) {
  TextChars chars(text);
  return readCounter(chars, counter);
}

SerialLoadResult loadSerialCounter(const std::filesystem::path& directory, SerialCounter& counter) {
  const std::filesystem::path path = directory / kSerialFileName;
  switch (checkPlainFile(path, kSerialFileMaxBytes)) {
    case PlainFileCheck::Readable: break;
    case PlainFileCheck::NotAFile: return SerialLoadResult::CannotOpen;
    case PlainFileCheck::TooLarge: return SerialLoadResult::NotCorrect;
  }
  std::ifstream file(path);
  if (!file.is_open()) return SerialLoadResult::CannotOpen;
  FileChars chars(*file.rdbuf());
  return readCounter(chars, counter);
}

std::string serialCounterText(const SerialCounter& counter) {
  std::string text;
  for (const auto& rule : kCounterFields) {
    text += "0x";
    appendHex(text, counter.*rule.field);
    text += ' ';
  }
  return text;
}

SerialSaveResult saveSerialCounter(Port& port, const std::filesystem::path& directory, const SerialCounter& counter) {
  const bool saved = replaceFile(port, directory / kSerialFileName, serialCounterText(counter));
  return saved ? SerialSaveResult::Ok : SerialSaveResult::CannotSave;
}

void advanceSerialCounter(SerialCounter& counter) { counter.cnt = counter.cnt >= 0xFFFF ? 0 : counter.cnt + 1; }

SerialNumber makeSerialNumber(const SerialCounter& counter, const LocalDate& date) {
  constexpr char kHexDigits[] = "0123456789ABCDEF";
  // Unsigned arithmetic keeps any year well defined; only 8 bits are used.
  const std::uint32_t year = (static_cast<std::uint32_t>(date.year) - 2000u) & 0xFF;
  const auto month = static_cast<std::uint32_t>(date.month);
  const auto day = static_cast<std::uint32_t>(date.day);
  const std::array<std::uint32_t, kSerialNumberLength> nibbles{
      counter.cem >> 4,                            // 1
      counter.cem,                                 // 2
      year,                                        // 3: bits 3..0
      month,                                       // 4
      ((year >> 4) & 7) << 1 | ((day >> 4) & 1),  // 5: year bits 6..4, day bit 4
      day,                                         // 6: bits 3..0
      counter.pc >> 4,                             // 7
      counter.pc,                                  // 8
      counter.cnt >> 12,                           // 9
      counter.cnt >> 8,                            // 10
      counter.cnt >> 4,                            // 11
      counter.cnt,                                 // 12
  };
  SerialNumber number{};
  for (std::size_t i = 0; i < number.size(); ++i) number[i] = kHexDigits[nibbles[i] & 0xF];
  return number;
}

}  // namespace updater
