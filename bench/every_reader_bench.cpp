// isp-all's promise: programming eight readers at once takes hardly longer
// than programming one, because the protocol's pauses, which make up nearly
// all of a reader's time, overlap. Measured on the simulated machine with
// the pauses taken in real time, side by side as on real readers.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
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

/// The fixture's working folder copied into memory (/dev/shm), so that
/// the figure is the program's and not the disk's: each run's HISTORY.CSV
/// record is flushed to the disk, one run after the other, and on a slow
/// disk those flushes, not the program, set the pace.
class FolderInMemory {
 public:
  explicit FolderInMemory(const std::filesystem::path& from) {
    std::string name = "/dev/shm/updater-bench-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) return;
    path_ = name;
    std::filesystem::copy(from, path_);
  }
  ~FolderInMemory() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  FolderInMemory(const FolderInMemory&) = delete;
  FolderInMemory& operator=(const FolderInMemory&) = delete;

  /// Empty when no folder could be made there.
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

enum class Folder { OnDisk, InMemory };

void ispOnEveryReader(benchmark::State& state, std::size_t readers, Folder folder) {
  OperatorFixture fixture(machineOf(readers));
  Program& program = fixture.program();
  FolderInMemory memory(fixture.directory.path());
  if (folder == Folder::InMemory) {
    if (memory.path().empty()) {
      state.SkipWithError("no folder in /dev/shm");
      return;
    }
    program.workingDirectory = memory.path();
  }
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

void BM_IspAllOneReader(benchmark::State& state) { ispOnEveryReader(state, 1, Folder::InMemory); }
void BM_IspAllEightReaders(benchmark::State& state) { ispOnEveryReader(state, 8, Folder::InMemory); }
void BM_IspAllOneReaderOnDisk(benchmark::State& state) { ispOnEveryReader(state, 1, Folder::OnDisk); }
void BM_IspAllEightReadersOnDisk(benchmark::State& state) { ispOnEveryReader(state, 8, Folder::OnDisk); }
// Each run is about 100 ms of real pauses; a second gives ten of them.
BENCHMARK(BM_IspAllOneReader)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_IspAllEightReaders)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_IspAllOneReaderOnDisk)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_IspAllEightReadersOnDisk)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

}  // namespace
}  // namespace updater
