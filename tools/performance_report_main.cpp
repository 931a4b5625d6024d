// performance-report BENCH.json MACHINE.txt: docs/performance.md on standard
// output, from updater_bench's JSON report and a description of the machine.
// Exit status 1 when the report cannot be made or the program takes more than
// its share of a reader's time.

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "performance/performance_report.h"

namespace {

bool readFile(const char* path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  contents = text.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: performance-report BENCH.json MACHINE.txt\n";
    return 2;
  }
  updater::performance::ReportInput input;
  if (!readFile(argv[1], input.benchmarkJson) || !readFile(argv[2], input.machine)) {
    std::cerr << "performance-report: cannot read " << argv[1] << " or " << argv[2] << "\n";
    return 2;
  }
  const auto report = updater::performance::writeReport(input);
  if (!report.ok) {
    std::cerr << "performance-report: " << report.error << "\n";
    return 1;
  }
  std::cout << report.markdown;
  if (!report.budgetUnmet.empty()) {
    std::cerr << "performance-report: " << report.budgetUnmet << "\n";
    return 1;
  }
  return 0;
}
