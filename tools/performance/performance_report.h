#pragma once

// docs/performance.md from a Google Benchmark JSON report of updater_bench:
// each figure, the ratios that matter, and the time budget of one reader on
// USB 2.0, with the machine the figures come from.

#include <string>
#include <string_view>

namespace updater::performance {

struct ReportInput {
  std::string benchmarkJson;  // updater_bench --benchmark_format=json
  std::string machine;        // one line per fact about the machine
};

struct ReportResult {
  bool ok = false;
  std::string markdown;     // when ok
  std::string error;        // why not ok
  std::string budgetUnmet;  // when ok: why the program takes too much of a reader's time, if it does
};

ReportResult writeReport(const ReportInput& input);

}  // namespace updater::performance
