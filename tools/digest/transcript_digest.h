#pragma once

// Turns updater-cli's JSON Lines transcript (--json) into the window digest
// (digest_lines.h): per action its message boxes in order, then the last text
// set so far in each of the three controls. The window counts as open from
// the first control or list event of the start-up (a program that refuses to
// run never sets one) until the "close" action.

#include <iosfwd>
#include <string>

namespace updater::digest {

/// Reads the transcript from `in` and writes the digest to `out`. Events the
/// digest does not show are skipped. On a line that is not a JSON object with
/// an "event" key, stops and returns false with `error` naming the line.
bool digestTranscript(std::istream& in, std::ostream& out, std::string& error);

}  // namespace updater::digest
