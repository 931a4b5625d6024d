#include "cli/json_events.h"

#include <cstdio>
#include <string_view>

#include <nlohmann/json.hpp>

#include "common/byte_text.h"
#include "common/text_format.h"

namespace updater {
namespace {

using Json = nlohmann::ordered_json;
using FillEvent = void (*)(Json&, const TranscriptEvent&);

std::string_view iconName(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop: return "stop";
    case MessageIcon::Warning: return "warning";
    case MessageIcon::Information: return "information";
    case MessageIcon::None: return "none";
  }
  return "none";
}

std::string twoHexDigits(int value) {
  std::string digits;
  appendPaddedHex(digits, static_cast<std::uint32_t>(value) & 0xFFu, 2);
  return digits;
}

void fillAction(Json& json, const TranscriptEvent& event) { json["name"] = utf8FromBytes(event.name); }

void fillMessageBox(Json& json, const TranscriptEvent& event) {
  json["icon"] = iconName(event.icon);
  json["caption"] = utf8FromBytes(event.caption);
  json["text"] = utf8FromBytes(event.text);
}

void fillControl(Json& json, const TranscriptEvent& event) {
  json["id"] = event.id;
  json["text"] = utf8FromBytes(event.text);
}

void fillList(Json& json, const TranscriptEvent& event) {
  json["id"] = event.id;
  Json items = Json::array();
  for (const auto& item : event.items) items.push_back(utf8FromBytes(item));
  json["items"] = std::move(items);
  json["selected"] = event.selected;
}

// The keys each status-window operation carries besides "op".
void fillStatusWindow(Json& json, const TranscriptEvent& event) {
  json["op"] = event.name;
  if (event.name == "label" || event.name == "text") json["text"] = utf8FromBytes(event.text);
  if (event.name == "range") {
    json["low"] = event.low;
    json["high"] = event.high;
  }
  if (event.name == "step") json["step"] = event.step;
  if (event.name == "stepIt") json["position"] = event.position;
}

void fillText(Json& json, const TranscriptEvent& event) { json["text"] = utf8FromBytes(event.text); }

void fillIo(Json& json, const TranscriptEvent& event) {
  json["route"] = event.route;
  json["command"] = event.name;
  json["reader"] = event.reader;
  if (!event.cdb.empty()) json["cdb"] = event.cdb;
  json["length"] = event.length;
  json["ok"] = event.ok;
  if (event.status >= 0) json["status"] = twoHexDigits(event.status);
  if (!event.text.empty()) json["text"] = utf8FromBytes(event.text);
}

// A replayed session's violation names the request and the byte besides.
void fillViolation(Json& json, const TranscriptEvent& event) {
  json["text"] = utf8FromBytes(event.text);
  if (event.requestIndex < 0) return;
  json["reader"] = event.reader;
  json["request"] = event.requestIndex;
  json["offset"] = event.byteOffset;
}

void fillSleep(Json& json, const TranscriptEvent& event) { json["ms"] = event.ms; }

void fillReaderResult(Json& json, const TranscriptEvent& event) {
  json["units"] = utf8FromBytes(event.units);
  json["serial"] = utf8FromBytes(event.serial);
  json["result"] = event.name;
  json["text"] = utf8FromBytes(event.text);
}

void fillReaderTotals(Json& json, const TranscriptEvent& event) {
  json["readers"] = event.successCount + event.failureCount;
  json["success"] = event.successCount;
  json["failure"] = event.failureCount;
}

struct EventRow {
  EventKind kind;
  const char* name;
  FillEvent fill;
};

constexpr EventRow kEventRows[] = {
    {EventKind::Action, "action", fillAction},
    {EventKind::MessageBox, "messageBox", fillMessageBox},
    {EventKind::Control, "control", fillControl},
    {EventKind::List, "list", fillList},
    {EventKind::StatusWindow, "statusWindow", fillStatusWindow},
    {EventKind::Console, "console", fillText},
    {EventKind::Io, "io", fillIo},
    {EventKind::Sleep, "sleep", fillSleep},
    {EventKind::Violation, "violation", fillViolation},
    {EventKind::ReaderResult, "readerResult", fillReaderResult},
    {EventKind::ReaderTotals, "readerTotals", fillReaderTotals},
};

std::string dumpLine(const Json& json) {
  // Every text went through utf8FromBytes, so the dump cannot meet invalid
  // UTF-8; replacing keeps even a slip from ending the run.
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string jsonEventLine(const TranscriptEvent& event) {
  Json json;
  for (const auto& row : kEventRows) {
    if (row.kind != event.kind) continue;
    json["event"] = row.name;
    // The events of one reader's run among several name the reader first;
    // the requests and violations name theirs among their own keys.
    if (event.reader > 0 && event.kind != EventKind::Io && event.kind != EventKind::Violation) {
      json["reader"] = event.reader;
    }
    row.fill(json, event);
    return dumpLine(json);
  }
  json["event"] = "unknown";
  return dumpLine(json);
}

std::string jsonEndLine(const RunSummary& summary) {
  Json json;
  json["event"] = "end";
  json["statusLog"] = utf8FromBytes(summary.statusLog);
  json["tally"] = {{"total", summary.totalCount}, {"error", summary.errorCount}, {"success", summary.successCount}};
  json["serial"] = {{"cem", summary.cem}, {"pc", summary.pc}, {"cnt", summary.cnt}};
  json["deviceCount"] = summary.deviceCount;
  json["selectedIndex"] = summary.selectedIndex;
  json["openHandles"] = summary.openHandles;
  return dumpLine(json);
}

}  // namespace updater
