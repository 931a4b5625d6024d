#include "performance/performance_report.h"

#include <iomanip>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

namespace updater::performance {
namespace {

using Json = nlohmann::json;

/// One benchmark's figures: the median of its repetitions when the report
/// has them, else its only run.
struct Figure {
  double cpuNs = 0;
  double realNs = 0;
  std::optional<double> allocsPerRun;
  std::optional<double> bytesPerSecond;
  std::optional<double> virtualMsPerRun;
};

using Figures = std::map<std::string, Figure>;

// A programming run that succeeds at the first attempt sends six commands:
// jumpToIsp, getIspStatus, sendIspData (program), getIspStatus, sendIspData
// (compare), getIspStatus.
constexpr double kCommandsPerProgrammingRun = 6;
// What the loader's protocol itself waits per programming run on the
// pass-through route, and the two 64 KiB transfers at USB 2.0's practical
// 40 MB/s.
constexpr double kProtocolPauseMs = 100;
constexpr double kTransferBytes = 2.0 * 65536;
constexpr double kUsb2BytesPerSecond = 40e6;
constexpr double kOwnShareLimit = 0.01;
// Eight readers at once may take at most this many times one reader's time.
constexpr double kEightReadersLimit = 1.25;

/// The route benchmarks, by the route they drive.
struct RouteBenchmark {
  const char* route;
  const char* benchmark;
};
constexpr RouteBenchmark kRouteBenchmarks[] = {
    {"PassThrough", "BM_PassThroughProgramFirmware64K"},
    {"SelfDriverNt", "BM_NtDriverProgramFirmware64K"},
    {"SelfDriverPort", "BM_PortDriverProgramFirmware64K"},
    {"SelfDriverDynamic", "BM_DynamicDriverProgramFirmware64K"},
    {"Aspi", "BM_AspiProgramFirmware64K"},
    {"PassThrough on a Linux host (SG_IO)", "BM_HostProgramFirmware64K"},
};

std::optional<double> counter(const Json& run, const char* key) {
  const auto field = run.find(key);
  if (field == run.end() || !field->is_number()) return std::nullopt;
  return field->get<double>();
}

double toNanoseconds(double value, const std::string& unit) {
  if (unit == "us") return value * 1e3;
  if (unit == "ms") return value * 1e6;
  if (unit == "s") return value * 1e9;
  return value;
}

Figures readFigures(const Json& report) {
  Figures figures;
  for (const Json& run : report.at("benchmarks")) {
    const std::string runType = run.value("run_type", "iteration");
    const std::string aggregate = run.value("aggregate_name", "");
    if (runType == "aggregate" && aggregate != "median") continue;
    // A benchmark with options is named after them ("BM_X/min_time:1.000/real_time").
    std::string name = run.value("run_name", run.value("name", ""));
    if (const std::size_t options = name.find('/'); options != std::string::npos) name.resize(options);
    if (runType == "iteration" && figures.count(name) != 0) continue;
    const std::string unit = run.value("time_unit", "ns");
    Figure figure;
    figure.cpuNs = toNanoseconds(run.value("cpu_time", 0.0), unit);
    figure.realNs = toNanoseconds(run.value("real_time", 0.0), unit);
    figure.allocsPerRun = counter(run, "allocs_per_run");
    figure.bytesPerSecond = counter(run, "bytes_per_second");
    figure.virtualMsPerRun = counter(run, "virtual_ms_per_run");
    figures[name] = figure;
  }
  return figures;
}

// A stream rather than a fixed buffer: a figure as large as a double holds
// has over 300 digits, and a buffer would cut it short without a word.
std::string number(double value, int decimals) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(decimals) << value;
  return text.str();
}

/// A time in the unit that reads best.
std::string duration(double ns) {
  if (ns >= 1e6) return number(ns / 1e6, 2) + " ms";
  if (ns >= 1e3) return number(ns / 1e3, 2) + " µs";
  return number(ns, 0) + " ns";
}

std::string optionalNumber(const std::optional<double>& value, int decimals) {
  return value ? number(*value, decimals) : "–";
}

std::string throughput(const std::optional<double>& bytesPerSecond) {
  if (!bytesPerSecond) return "–";
  return number(*bytesPerSecond / 1e6, 0) + " MB/s";
}

const Figure* find(const Figures& figures, const char* name) {
  const auto it = figures.find(name);
  return it == figures.end() ? nullptr : &it->second;
}

void writeMachine(std::ostream& out, const std::string& machine) {
  out << "## The machine\n\n";
  std::istringstream lines(machine);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) out << "- " << line << "\n";
  }
  out << "\n";
}

void writeFigures(std::ostream& out, const Figures& figures) {
  out << "## Every benchmark\n\n"
      << "Median of the repetitions; processor time is what the program itself spends, wall time includes "
         "waiting (file system, flushes to disk).\n\n"
      << "| benchmark | processor time | wall time | heap allocations per run | throughput |\n"
      << "|---|---:|---:|---:|---:|\n";
  for (const auto& [name, figure] : figures) {
    out << "| `" << name << "` | " << duration(figure.cpuNs) << " | " << duration(figure.realNs) << " | "
        << optionalNumber(figure.allocsPerRun, 2) << " | " << throughput(figure.bytesPerSecond) << " |\n";
  }
  out << "\n";
}

void writeScrambleRatios(std::ostream& out, const Figures& figures) {
  const Figure* copy = find(figures, "BM_Memcpy64K");
  const Figure* scramble = find(figures, "BM_Scramble64K");
  const Figure* unscramble = find(figures, "BM_Unscramble64K");
  if (copy == nullptr || scramble == nullptr || unscramble == nullptr) return;
  out << "## Scrambling against a copy\n\n"
      << "| pass over 64 KiB | processor time | against `memcpy` | throughput |\n"
      << "|---|---:|---:|---:|\n"
      << "| `memcpy` | " << duration(copy->cpuNs) << " | 1× | " << throughput(copy->bytesPerSecond) << " |\n"
      << "| scramble | " << duration(scramble->cpuNs) << " | " << number(scramble->cpuNs / copy->cpuNs, 0)
      << "× | " << throughput(scramble->bytesPerSecond) << " |\n"
      << "| unscramble | " << duration(unscramble->cpuNs) << " | " << number(unscramble->cpuNs / copy->cpuNs, 0)
      << "× | " << throughput(unscramble->bytesPerSecond) << " |\n\n"
      << "Each scrambled byte depends on the one before it, so scrambling cannot run at the speed of a copy; "
         "the goal is 400 MB/s.\n\n";
}

void writeJobRatio(std::ostream& out, const Figures& figures) {
  const Figure* job = find(figures, "BM_IspJob64K");
  if (job == nullptr) return;
  const double pauseNs = job->virtualMsPerRun.value_or(kProtocolPauseMs) * 1e6;
  out << "## A whole ISP job against the protocol's own pauses\n\n"
      << "One ISP job (address file, BmpMap, 65,535-byte image with its SHA-256, SERIAL.TXT load, patch, "
         "programming, SERIAL.TXT save and HISTORY.CSV record, each with a flush to disk) takes "
      << duration(job->cpuNs) << " of processor time; the loader's protocol asks for "
      << number(pauseNs / 1e6, 0) << " ms of pauses per run. The program's processor time is "
      << number(100.0 * job->cpuNs / pauseNs, 2) << " % of those pauses. Its wall time, " << duration(job->realNs)
      << ", adds to that the waits for the flushes of SERIAL.TXT and HISTORY.CSV to the disk, time the disk "
         "spends rather than the program.\n\n";
}

void writeRouteAllocations(std::ostream& out, const Figures& figures) {
  out << "## Heap allocations per command on each route\n\n"
      << "A programming run that succeeds at once sends " << number(kCommandsPerProgrammingRun, 0)
      << " commands. The route benchmarks drive the real route code against a device that answers at once.\n\n"
      << "| route | processor time per run | allocations per run | allocations per command |\n"
      << "|---|---:|---:|---:|\n";
  for (const auto& row : kRouteBenchmarks) {
    const Figure* figure = find(figures, row.benchmark);
    if (figure == nullptr) {
      out << "| `" << row.route << "` | not measured | – | – |\n";
      continue;
    }
    const double perRun = figure->allocsPerRun.value_or(0);
    out << "| `" << row.route << "` | " << duration(figure->cpuNs) << " | " << number(perRun, 2) << " | "
        << number(perRun / kCommandsPerProgrammingRun, 2) << " |\n";
  }
  out << "\n";
}

/// Writes the budget; returns why it is not met, or nothing.
std::optional<std::string> writeBudget(std::ostream& out, const Figures& figures) {
  const Figure* job = find(figures, "BM_IspJob64K");
  if (job == nullptr) return "the report has no BM_IspJob64K";
  const double pauseMs = kProtocolPauseMs;
  const double transferMs = 1e3 * kTransferBytes / kUsb2BytesPerSecond;
  const double ownMs = job->cpuNs / 1e6;
  const double totalMs = pauseMs + transferMs + ownMs;
  const double share = ownMs / totalMs;
  out << "## Time budget of one reader on USB 2.0\n\n"
      << "One ISP job on a real reader over the pass-through route:\n\n"
      << "| part | time | share |\n|---|---:|---:|\n"
      << "| the protocol's pauses | " << number(pauseMs, 2) << " ms | " << number(100 * pauseMs / totalMs, 2)
      << " % |\n"
      << "| two 64 KiB transfers at 40 MB/s | " << number(transferMs, 2) << " ms | "
      << number(100 * transferMs / totalMs, 2) << " % |\n"
      << "| the program's own processor time | " << number(ownMs, 3) << " ms | " << number(100 * share, 2)
      << " % |\n"
      << "| **per reader** | **" << number(totalMs, 2) << " ms** | 100 % |\n\n"
      << "The program's own share is " << number(100 * share, 2) << " % of the budget, "
      << (share < kOwnShareLimit ? "under" : "OVER") << " the 1 % it may take. (The ASPI route adds a "
      << "3,000 ms pause before the compare, which only makes the share smaller.)\n\n";
  if (share >= kOwnShareLimit) {
    return "the program's own share of a reader's time budget is " + number(100 * share, 2) + " %, over 1 %";
  }
  return std::nullopt;
}

/// Writes isp-all's figures; returns why the goal is not met, or nothing.
std::optional<std::string> writeEveryReader(std::ostream& out, const Figures& figures) {
  const Figure* one = find(figures, "BM_IspAllOneReader");
  const Figure* eight = find(figures, "BM_IspAllEightReaders");
  if (one == nullptr || eight == nullptr) return std::nullopt;
  const double ratio = eight->realNs / one->realNs;
  out << "## Eight readers at once\n\n"
      << "`isp-all` on the simulated machine, the protocol's pauses taken in real time, each reader's run on a "
         "thread of its own (wall time per command, all readers' runs included; processor time of all threads):\n\n"
      << "| readers | working folder | wall time | processor time | against one reader |\n"
      << "|---|---|---:|---:|---:|\n";
  struct Row {
    const char* readers;
    const char* folder;
    const char* benchmark;
    const Figure* base;
  };
  const Figure* oneOnDisk = find(figures, "BM_IspAllOneReaderOnDisk");
  const Row rows[] = {
      {"1", "in memory", "BM_IspAllOneReader", one},
      {"8", "in memory", "BM_IspAllEightReaders", one},
      {"1", "on the disk", "BM_IspAllOneReaderOnDisk", oneOnDisk},
      {"8", "on the disk", "BM_IspAllEightReadersOnDisk", oneOnDisk},
  };
  for (const Row& row : rows) {
    const Figure* figure = find(figures, row.benchmark);
    if (figure == nullptr || row.base == nullptr) continue;
    out << "| " << row.readers << " | " << row.folder << " | " << duration(figure->realNs) << " | "
        << duration(figure->cpuNs) << " | " << number(figure->realNs / row.base->realNs, 2) << "× |\n";
  }
  out << "\nEight readers take " << number(ratio, 2) << " times the time of one, "
      << (ratio <= kEightReadersLimit ? "within" : "OVER") << " the 1.25 times they may take. On the disk each "
      << "run's HISTORY.CSV record is flushed, one run after the other, and the disk's flush time adds to "
         "that.\n\n";
  if (ratio > kEightReadersLimit) {
    return "eight readers at once take " + number(ratio, 2) + " times the time of one, over 1.25";
  }
  return std::nullopt;
}

/// Google Benchmark writes NaN (and infinities) for statistics it cannot
/// compute, such as the variation of a counter that is always 0; JSON has no
/// such numbers, so they become null.
std::string withoutNonNumbers(std::string text) {
  for (const char* token : {": -Infinity", ": Infinity", ": NaN", ": -nan", ": nan", ": inf", ": -inf"}) {
    const std::string from(token);
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
      text.replace(at, from.size(), ": null");
    }
  }
  return text;
}

}  // namespace

ReportResult writeReport(const ReportInput& input) {
  ReportResult result;
  const Json report = Json::parse(withoutNonNumbers(input.benchmarkJson), nullptr, false);
  if (report.is_discarded() || !report.is_object() || !report.contains("benchmarks") ||
      !report["benchmarks"].is_array()) {
    result.error = "not a Google Benchmark JSON report";
    return result;
  }
  const Figures figures = readFigures(report);
  std::ostringstream out;
  out << "# Performance\n\n"
      << "Written by `./scripts/bench` from `updater_bench` (Google Benchmark, release build); do not edit by "
         "hand.\n\n";
  writeMachine(out, input.machine);
  if (auto unmet = writeBudget(out, figures)) result.budgetUnmet = *unmet;
  writeJobRatio(out, figures);
  if (auto unmet = writeEveryReader(out, figures)) {
    result.budgetUnmet += (result.budgetUnmet.empty() ? "" : "; ") + *unmet;
  }
  writeScrambleRatios(out, figures);
  writeRouteAllocations(out, figures);
  writeFigures(out, figures);
  result.ok = true;
  result.markdown = out.str();
  return result;
}

}  // namespace updater::performance
