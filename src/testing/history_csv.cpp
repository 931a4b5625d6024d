#include "testing/history_csv.h"

#include "jobs/history_record.h"

namespace updater {
namespace {

/// The fields of each record; a record ends at a CRLF outside quotes.
std::vector<std::vector<std::string>> splitRecords(std::string_view text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      records.push_back(std::move(fields));
      fields.assign(1, "");
      ++i;
    } else {
      fields.back() += c;
    }
  }
  return records;
}

}  // namespace

std::vector<HistoryRow> readHistoryRows(std::string_view text) {
  std::vector<HistoryRow> rows;
  for (const std::vector<std::string>& fields : splitRecords(text)) {
    if (fields.size() != kHistoryColumns.size() || fields[0] == kHistoryColumns[0].name) continue;
    HistoryRow row;
    for (std::size_t i = 0; i < fields.size(); ++i) row[std::string(kHistoryColumns[i].name)] = fields[i];
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace updater
