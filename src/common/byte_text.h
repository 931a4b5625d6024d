#pragma once

// The program's texts are single-byte characters in no particular code page.
// Out here each byte stands for the character with the same code, so a byte
// 0x80..0xFF becomes U+0080..U+00FF and every byte survives the trip into
// JSON or onto a UTF-8 terminal.

#include <string>
#include <string_view>

namespace updater {

/// `bytes` with each byte taken as the character of the same code, in UTF-8.
std::string utf8FromBytes(std::string_view bytes);

}  // namespace updater
