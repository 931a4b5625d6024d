#include "performance/performance_report.h"

#include <gtest/gtest.h>

#include <string>

namespace updater::performance {
namespace {

// A report as updater_bench writes it with repetitions: the medians count,
// the means do not, and a statistic it cannot compute reads NaN.
std::string benchReport(double jobCpuUs, double eightReadersMs = 117) {
  return R"({"context": {}, "benchmarks": [
    {"name": "BM_IspJob64K_mean", "run_name": "BM_IspJob64K", "run_type": "aggregate", "aggregate_name": "mean",
     "cpu_time": 999999, "real_time": 999999, "time_unit": "us"},
    {"name": "BM_IspJob64K_median", "run_name": "BM_IspJob64K", "run_type": "aggregate", "aggregate_name": "median",
     "cpu_time": )" + std::to_string(jobCpuUs) + R"(, "real_time": 5000, "time_unit": "us",
     "allocs_per_run": 43, "virtual_ms_per_run": 100},
    {"name": "BM_Memcpy64K", "run_name": "BM_Memcpy64K", "run_type": "iteration",
     "cpu_time": 1300, "real_time": 1300, "time_unit": "ns", "bytes_per_second": 5.0e10},
    {"name": "BM_Scramble64K", "run_name": "BM_Scramble64K", "run_type": "iteration",
     "cpu_time": 78000, "real_time": 78000, "time_unit": "ns", "bytes_per_second": 8.4e8},
    {"name": "BM_Unscramble64K", "run_name": "BM_Unscramble64K", "run_type": "iteration",
     "cpu_time": 80000, "real_time": 80000, "time_unit": "ns", "bytes_per_second": 8.2e8},
    {"name": "BM_NtDriverProgramFirmware64K", "run_name": "BM_NtDriverProgramFirmware64K", "run_type": "iteration",
     "cpu_time": 6.5, "real_time": 7, "time_unit": "us", "allocs_per_run": 3},
    {"name": "BM_IspAllOneReader/min_time:1.000/real_time", "run_name": "BM_IspAllOneReader/min_time:1.000/real_time",
     "run_type": "iteration", "cpu_time": 2, "real_time": 104, "time_unit": "ms"},
    {"name": "BM_IspAllEightReaders/min_time:1.000/real_time",
     "run_name": "BM_IspAllEightReaders/min_time:1.000/real_time", "run_type": "iteration",
     "cpu_time": 12, "real_time": )" + std::to_string(eightReadersMs) + R"(, "time_unit": "ms"},
    {"name": "BM_NtDriverProgramFirmware64K_cv", "run_name": "BM_NtDriverProgramFirmware64K", "run_type": "aggregate",
     "aggregate_name": "cv", "cpu_time": 0.01, "real_time": 0.01, "time_unit": "ns", "allocs_per_run": NaN}
  ]})";
}

TEST(PerformanceReport, GivesTheBudgetTheRatiosAndTheAllocationsPerCommand) {
  const auto report = writeReport({benchReport(690), "CPU: Test 3000\nCores: 2\n"});
  ASSERT_TRUE(report.ok) << report.error;
  EXPECT_TRUE(report.budgetUnmet.empty());
  const std::string& text = report.markdown;
  EXPECT_NE(text.find("- CPU: Test 3000\n- Cores: 2\n"), std::string::npos);
  // 100 ms of pauses + 3.28 ms of transfers + 0.69 ms of the program's own.
  EXPECT_NE(text.find("| two 64 KiB transfers at 40 MB/s | 3.28 ms |"), std::string::npos);
  EXPECT_NE(text.find("| **per reader** | **103.97 ms** | 100 % |"), std::string::npos);
  EXPECT_NE(text.find("own share is 0.66 % of the budget, under the 1 %"), std::string::npos);
  EXPECT_NE(text.find("The program's processor time is 0.69 % of those pauses."), std::string::npos);
  EXPECT_NE(text.find("| scramble | 78.00 µs | 60× | 840 MB/s |"), std::string::npos);
  EXPECT_NE(text.find("| `SelfDriverNt` | 6.50 µs | 3.00 | 0.50 |"), std::string::npos);
  EXPECT_NE(text.find("| `Aspi` | not measured |"), std::string::npos);
  EXPECT_NE(text.find("| 8 | in memory | 117.00 ms | 12.00 ms | 1.12× |"), std::string::npos);
  EXPECT_NE(text.find("Eight readers take 1.12 times the time of one, within the 1.25"), std::string::npos);
}

TEST(PerformanceReport, SaysWhenEightReadersTakeTooLong) {
  const auto report = writeReport({benchReport(690, 140), ""});
  ASSERT_TRUE(report.ok);
  EXPECT_EQ(report.budgetUnmet, "eight readers at once take 1.35 times the time of one, over 1.25");
}

TEST(PerformanceReport, SaysWhenTheProgramTakesMoreThanItsShare) {
  const auto report = writeReport({benchReport(2000), ""});
  ASSERT_TRUE(report.ok);
  EXPECT_EQ(report.budgetUnmet, "the program's own share of a reader's time budget is 1.90 %, over 1 %");
  EXPECT_NE(report.markdown.find("OVER the 1 %"), std::string::npos);
}

TEST(PerformanceReport, RefusesWhatIsNoBenchmarkReport) {
  for (const char* text : {"", "[]", R"({"context": {}})", "not json"}) {
    const auto report = writeReport({text, ""});
    EXPECT_FALSE(report.ok) << text;
    EXPECT_EQ(report.error, "not a Google Benchmark JSON report") << text;
  }
}

}  // namespace
}  // namespace updater::performance
