#pragma once

// A multi-line edit control breaks lines only at "\r\n", while the program's
// texts break them with "\n" alone. The report area is such a control, so its
// text goes in with every "\n" widened and comes back with every "\r\n"
// narrowed; a text round-trips unchanged.

#include <string>
#include <string_view>

namespace updater {

/// The text to give a multi-line edit control for `text`.
std::string toEditControlText(std::string_view text);

/// The program's text for what a multi-line edit control holds.
std::string fromEditControlText(std::string_view text);

}  // namespace updater
