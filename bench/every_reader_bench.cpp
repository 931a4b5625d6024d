// isp-all's promise: programming eight readers at once takes hardly longer
// than programming one, because the protocol's pauses, which make up nearly
// all of a reader's time, overlap. Measured on the simulated machine with
// the pauses taken in real time, side by side as on real readers.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "app/every_reader.h"
#include "app/main_window.h"
#include "app/operator_commands.h"
#include "app/program.h"
#include "quiet_platform.h"
#include "testing/operator_fixture.h"

namespace updater {
namespace {

constexpr WindowsVersion kXp{true, 5, 1};

MachineDescription machineOf(std::size_t readers) {
  std::vector<ReaderDescription> described;
  for (std::size_t i = 0; i < readers; ++i) {
    const char letter = static_cast<char>('E' + i);
    described.push_back(operatorReader(std::string(1, letter), "00000000000" + std::to_string(i)));
  }
  return operatorMachine(kXp, std::move(described));
}

struct QuietViews {
  QuietMainView mainView;
  QuietStatusView statusView;
};

void ispOnEveryReader(benchmark::State& state, std::size_t readers) {
  OperatorFixture fixture(machineOf(readers));
  Program& program = fixture.program();
  const bool started = initialiseMainWindow(program, *fixture.routes);
  ispEnableClicked(program);
  if (!started || everyReaderRunCount(program) != readers) {
    state.SkipWithError("the readers were not found");
    return;
  }
  std::vector<std::unique_ptr<QuietViews>> viewSets;
  std::vector<ReaderRunViews> views;
  for (std::size_t i = 0; i < readers; ++i) {
    viewSets.push_back(std::make_unique<QuietViews>());
    views.push_back({viewSets.back()->mainView, viewSets.back()->statusView});
  }
  ConcurrentScheduler scheduler;
  for (auto _ : state) {
    const std::vector<ReaderRunResult> results =
        runOnEveryReader(program, *fixture.routes, EveryReaderJob::Isp, scheduler, views);
    for (const ReaderRunResult& result : results) {
      if (!result.success) state.SkipWithError(("a reader failed: " + result.message).c_str());
    }
  }
}

void BM_IspAllOneReader(benchmark::State& state) { ispOnEveryReader(state, 1); }
void BM_IspAllEightReaders(benchmark::State& state) { ispOnEveryReader(state, 8); }
BENCHMARK(BM_IspAllOneReader)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_IspAllEightReaders)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace updater
