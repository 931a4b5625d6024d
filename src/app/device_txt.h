#pragma once

// DEVICE.TXT, the operator's user ISP data file, and its one syntax: white-
// space separated tokens, entries of the form
//
//   Key = "value";
//
// with blanks allowed inside the quotes. Everything else in the file (other
// words, comments) is tokens that do not match a key. The file is read once
// per load and every key is looked up in that copy from its start, exactly as
// if the file were opened afresh for each key.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace updater {

inline constexpr std::string_view kDeviceTxtName = "DEVICE.TXT";

/// Tokens are read into a buffer of this many bytes, the terminating NUL
/// included: a longer token never equals a key or "=", and a longer value
/// token makes its value absent.
inline constexpr std::size_t kTokenCapacity = 256;

/// The contents of DEVICE.TXT, or that it could not be opened.
struct DeviceTxt {
  bool opened = false;
  /// As a text-mode read gives it: each "\r\n" read as "\n".
  std::string text;
};

/// A DEVICE.TXT is a few dozen lines. The file is read whole, so a larger one
/// (a disk image saved under that name) is refused rather than held in memory.
inline constexpr std::uintmax_t kDeviceTxtMaxBytes = 4 << 20;

/// Reads DEVICE.TXT from `directory`. `opened` is false when the file is
/// missing or cannot be read (no permission), is no plain file (a directory,
/// FIFO or device of that name, see common/plain_file.h) or is larger than
/// kDeviceTxtMaxBytes.
DeviceTxt readDeviceTxt(const std::filesystem::path& directory);

/// The file's bytes as a text-mode read gives them on the program's
/// platform: each "\r\n" becomes "\n", nothing else changes.
DeviceTxt deviceTxtFromBytes(std::string_view bytes);

enum class KeyStatus {
  keyNoFile,    // the file could not be opened
  keyNotFound,  // the key is missing or its entry is malformed
  keyFound,
};

/// The result of `lookupKey`. When found, `token` is the whole value token
/// (opening quote, characters, closing quote, semicolon and whatever else the
/// token held) and `count` the number of value characters after the quote.
/// Both point into the `DeviceTxt` looked at.
struct KeyLookup {
  KeyStatus status = KeyStatus::keyNotFound;
  std::string_view token;
  std::size_t count = 0;

  bool found() const { return status == KeyStatus::keyFound; }
  /// The value's characters; empty unless found.
  std::string_view value() const { return found() ? token.substr(1, count) : std::string_view(); }
};

/// Looks up `key` (compared whole and case-sensitively) and its value of at
/// most `maximum` characters. Only the first token equal to the key counts: a
/// malformed entry there is `keyNotFound` even if a good one follows.
KeyLookup lookupKey(const DeviceTxt& file, std::string_view key, std::size_t maximum);
/// The result points into the file's text, which must outlive it.
KeyLookup lookupKey(DeviceTxt&& file, std::string_view key, std::size_t maximum) = delete;

/// '0'-'9', 'A'-'F', 'a'-'f' give 0 to 15; every other character gives 0.
Byte hexDigitValue(char character);

/// Whether `hexDigitValue` reads `character` as a digit.
bool isHexDigit(char character);

}  // namespace updater
