#pragma once

// Reading HISTORY.CSV back in tests, as a spreadsheet would: RFC 4180
// fields, CRLF between records. A line without all its columns (what a
// crash left half-written) is skipped, as is the header.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

/// One record, by column name.
using HistoryRow = std::map<std::string, std::string, std::less<>>;

std::vector<HistoryRow> readHistoryRows(std::string_view text);

}  // namespace updater
