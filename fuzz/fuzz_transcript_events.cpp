// Any bytes as the texts of transcript events. The JSON line must parse, and
// each of its texts must give back the program's bytes when every character
// is taken as the byte of its code; the text form must take them too.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/json_events.h"
#include "cli/text_events.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

/// The bytes a text of the transcript stands for: each character's code.
std::string bytesOf(const std::string& utf8) {
  std::string bytes;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      bytes += static_cast<char>(lead);
      continue;
    }
    require(lead == 0xC2 || lead == 0xC3);  // U+0080..U+00FF only
    require(i + 1 < utf8.size());
    bytes += static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  TranscriptEvent box;
  box.kind = EventKind::MessageBox;
  box.icon = MessageIcon::Stop;
  box.caption = input.substr(0, split == std::string::npos ? 0 : split);
  box.text = split == std::string::npos ? input : input.substr(split + 1);

  const auto json = nlohmann::json::parse(jsonEventLine(box), nullptr, false);
  require(!json.is_discarded());
  require(bytesOf(json["caption"].get<std::string>()) == box.caption);
  require(bytesOf(json["text"].get<std::string>()) == box.text);

  TranscriptEvent status;
  status.kind = EventKind::StatusWindow;
  status.name = "text";
  status.text = input;
  std::ostringstream out;
  TextTranscriptWriter writer(out, (size & 1) != 0);
  writer.write(box);
  writer.write(status);
  RunSummary summary;
  summary.statusLog = input;
  writer.writeEnd(summary);
  require(nlohmann::json::parse(jsonEndLine(summary), nullptr, false).is_object());
  return 0;
}
