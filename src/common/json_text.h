#pragma once

// JSON text written by hand, for the files the Windows program writes
// without a JSON library (its recording). A text's bytes are single-byte
// characters (common/byte_text.h): each goes out as the character of the
// same code, U+0000..U+00FF, the way the machine file reads texts back.

#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"

namespace updater {

/// `bytes` as a JSON string: quoted, with the quote, the backslash, the
/// control characters and every byte above 0x7E escaped as \uXXXX (or \" and
/// \\), so the text is plain ASCII whatever it holds.
std::string jsonString(std::string_view bytes);

/// `bytes` as a JSON string of lower-case hex digits, two per byte, blanks
/// between the bytes ("06 b0 00").
std::string jsonHexBytes(ConstBytes bytes);

/// "NAME": VALUE, with `value` already JSON text.
std::string jsonMember(std::string_view name, std::string_view value);

/// {A, B, ...} on one line, from members already JSON text.
std::string jsonInlineObject(const std::vector<std::string>& members);

/// An object or array over several lines: `open`, then each item on a line
/// of its own indented by `indent` + 2 blanks, separated by commas, then
/// `close` indented by `indent`. An empty list gives `open` and `close`
/// side by side.
std::string jsonBlock(char open, const std::vector<std::string>& items, char close, std::size_t indent);

}  // namespace updater
