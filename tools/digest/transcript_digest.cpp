#include "transcript_digest.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string_view>

#include <nlohmann/json.hpp>

#include "digest_lines.h"

namespace updater::digest {
namespace {

using Json = nlohmann::json;

// The controls' texts before the program sets any: the dialog template's
// captions.
ControlTexts initialTexts() { return ControlTexts{"", "", "Driver Select"}; }

// A field of an event, or the empty value when it is absent or of another type.
std::string stringField(const Json& event, const char* key) {
  const auto field = event.find(key);
  return field != event.end() && field->is_string() ? field->get<std::string>() : std::string();
}

int intField(const Json& event, const char* key) {
  const auto field = event.find(key);
  return field != event.end() && field->is_number_integer() ? field->get<int>() : 0;
}

class TranscriptDigest {
 public:
  explicit TranscriptDigest(std::ostream& out) : out_(out) {}

  void onEvent(const Json& event);

  /// Ends the last action's block.
  void finish() { closeAction(); }

 private:
  using Handler = void (TranscriptDigest::*)(const Json&);
  struct HandlerRow {
    std::string_view event;
    Handler handle;
  };
  static const HandlerRow kHandlers[4];

  void onAction(const Json& event) {
    const std::string name = stringField(event, "name");
    closeAction();
    out_ << actionLine(name) << '\n';
    inAction_ = true;
    // The texts after "close" are those of a window that is gone.
    if (name == "close") closing_ = true;
  }

  void onMessageBox(const Json& event) {
    out_ << messageBoxLine(stringField(event, "icon"), stringField(event, "caption"), stringField(event, "text"))
         << '\n';
  }

  void onList(const Json& event) {
    windowOpen_ = true;
    ListItems* list = listById(intField(event, "id"));
    if (list == nullptr) return;
    list->items.clear();
    const auto items = event.find("items");
    if (items != event.end() && items->is_array()) {
      for (const auto& item : *items) list->items.push_back(item.is_string() ? item.get<std::string>() : "");
    }
    const auto selected = event.find("selected");
    list->selected = selected != event.end() && selected->is_number_integer() ? selected->get<int>() : -1;
  }

  ListItems* listById(int id) {
    switch (id) {
      case 1030: return &lists_.deviceList;
      case 1027: return &lists_.driverList;
      default: return nullptr;
    }
  }

  void onControl(const Json& event) {
    windowOpen_ = true;
    const std::string text = stringField(event, "text");
    switch (intField(event, "id")) {
      case 1021: texts_.reportArea = text; break;
      case 1024: texts_.deviceName = text; break;
      case 1028: texts_.driverLabel = text; break;
      default: break;
    }
  }

  void closeAction() {
    if (inAction_ && windowOpen_ && !closing_) out_ << controlsLine(texts_) << '\n' << listsLine(lists_) << '\n';
    inAction_ = false;
  }

  std::ostream& out_;
  ControlTexts texts_ = initialTexts();
  ListStates lists_;
  bool inAction_ = false;
  bool windowOpen_ = false;
  bool closing_ = false;
};

// The events the digest shows; the others (status window, console, io, sleep,
// end) leave it as it is.
const TranscriptDigest::HandlerRow TranscriptDigest::kHandlers[4] = {
    {"action", &TranscriptDigest::onAction},
    {"messageBox", &TranscriptDigest::onMessageBox},
    {"control", &TranscriptDigest::onControl},
    {"list", &TranscriptDigest::onList},
};

void TranscriptDigest::onEvent(const Json& event) {
  const std::string kind = stringField(event, "event");
  for (const auto& row : kHandlers) {
    if (kind == row.event) (this->*row.handle)(event);
  }
}

std::optional<Json> parseEvent(const std::string& line) {
  Json event = Json::parse(line, nullptr, false);
  if (event.is_discarded() || !event.is_object() || !event.contains("event")) return std::nullopt;
  return event;
}

}  // namespace

bool digestTranscript(std::istream& in, std::ostream& out, std::string& error) {
  TranscriptDigest digest(out);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty()) continue;
    const std::optional<Json> event = parseEvent(line);
    if (!event) {
      error = "line " + std::to_string(number) + " is not a transcript event";
      return false;
    }
    digest.onEvent(*event);
  }
  digest.finish();
  return true;
}

}  // namespace updater::digest
