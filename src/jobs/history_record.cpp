#include "jobs/history_record.h"

#include <cstdio>

namespace updater {
namespace {

bool needsQuotes(std::string_view field) {
  if (field.find_first_of(",\"\r\n") != std::string_view::npos) return true;
  // A spreadsheet trims unquoted blanks at the ends of a field.
  return !field.empty() && (field.front() == ' ' || field.back() == ' ');
}

void appendField(std::string& line, std::string_view field) {
  if (!needsQuotes(field)) {
    line += field;
    return;
  }
  line += '"';
  for (const char c : field) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

}  // namespace

std::string historyHeaderLine() {
  std::string line;
  for (const HistoryColumn& column : kHistoryColumns) {
    if (!line.empty()) line += ',';
    line += column.name;
  }
  return line + "\r\n";
}

std::string historyLine(const HistoryRecord& record) {
  std::string line;
  bool first = true;
  for (const HistoryColumn& column : kHistoryColumns) {
    if (!first) line += ',';
    first = false;
    appendField(line, record.*column.field);
  }
  return line + "\r\n";
}

std::string isoLocalTime(const LocalDateTime& time) {
  char text[16];
  (void)std::snprintf(text, sizeof text, "T%02d:%02d:%02d", time.hour, time.minute, time.second);
  return isoDate(time.date) + text;
}

}  // namespace updater
