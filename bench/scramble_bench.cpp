// Scrambling and unscrambling a 64 KiB payload against a plain 64 KiB copy in
// the same binary: bytes per second of each, and the pass's speed as a share
// of the copy's.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "jobs/scramble.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

constexpr std::size_t kPayload = 65536;

// Seconds per 64 KiB copy, measured once per binary run for the ratio counter.
double copySeconds() {
  static const double seconds = [] {
    const auto source = testImage(kPayload);
    std::vector<Byte> target(kPayload);
    constexpr int kRounds = 20000;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
      std::memcpy(target.data(), source.data(), kPayload);
      benchmark::DoNotOptimize(target.data());
      benchmark::ClobberMemory();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / kRounds;
  }();
  return seconds;
}

void reportRatioToCopy(benchmark::State& state, std::chrono::duration<double> elapsed) {
  const double passSeconds = elapsed.count() / static_cast<double>(state.iterations());
  state.counters["copy_time_ratio"] = benchmark::Counter(passSeconds / copySeconds());
}

void BM_Memcpy64K(benchmark::State& state) {
  const auto source = testImage(kPayload);
  std::vector<Byte> target(kPayload);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), kPayload);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kPayload));
}
BENCHMARK(BM_Memcpy64K);

template <bool (*Pass)(ConstBytes, Bytes, ScrambleWindow)>
void BM_Pass64K(benchmark::State& state) {
  const auto source = testImage(kPayload);
  std::vector<Byte> target(kPayload);
  bool ok = true;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    ok = Pass(source, target, ScrambleWindow{}) && ok;
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  reportRatioToCopy(state, std::chrono::steady_clock::now() - start);
  if (!ok) state.SkipWithError("the pass refused its buffers");
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kPayload));
}
BENCHMARK(BM_Pass64K<scramble>)->Name("BM_Scramble64K");
BENCHMARK(BM_Pass64K<unscramble>)->Name("BM_Unscramble64K");

}  // namespace
}  // namespace updater
