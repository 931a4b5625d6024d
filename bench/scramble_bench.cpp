// Scrambling and unscrambling a 64 KiB payload, with a plain 64 KiB copy in
// the same binary as the yardstick: compare their bytes per second.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "jobs/scramble.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

constexpr std::size_t kPayload = 65536;

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
  for (auto _ : state) {
    ok = Pass(source, target, ScrambleWindow{}) && ok;
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  if (!ok) state.SkipWithError("the pass refused its buffers");
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kPayload));
}
BENCHMARK(BM_Pass64K<scramble>)->Name("BM_Scramble64K");
BENCHMARK(BM_Pass64K<unscramble>)->Name("BM_Unscramble64K");

}  // namespace
}  // namespace updater
