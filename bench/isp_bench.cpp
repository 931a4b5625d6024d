// The programming sequence for a 64 KiB image over the simulated loader on the
// virtual clock: processor time per run and heap allocations per run.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "allocation_counter.h"
#include "app/program.h"
#include "isp/program_firmware.h"
#include "quiet_platform.h"
#include "testing/program_harness.h"
#include "programming_runs.h"
#include "testing/test_route.h"

namespace updater {
namespace {

void BM_ProgramFirmware64K(benchmark::State& state) {
  QuietPort port;
  QuietMainView mainView;
  QuietStatusView statusView;
  Program program(port, mainView, statusView);
  const auto image = testImage(65535);
  std::copy(image.begin(), image.end(), program.firmwareImage.image.begin());
  SimLoader loader;
  loader.flash.reserve(65536);
  TestRoute route(AccessRoute::PassThrough, loader);
  program.statusLog.reserve(1 << 20);

  const std::uint64_t before = heapAllocations();
  for (auto _ : state) {
    program.statusLog.clear();
    programOnce(program, route.run(), 65535);
  }
  const std::uint64_t allocations = heapAllocations() - before;

  if (program.tally.successCount != static_cast<std::uint32_t>(state.iterations()) || mainView.boxes != 0) {
    state.SkipWithError("a programming run did not succeed");
  }
  state.counters["allocs_per_run"] =
      benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
  state.counters["virtual_ms_per_run"] =
      benchmark::Counter(static_cast<double>(port.virtualMs) / static_cast<double>(state.iterations()));
  state.SetBytesProcessed(state.iterations() * 2 * 65536);
}
BENCHMARK(BM_ProgramFirmware64K);

}  // namespace
}  // namespace updater
