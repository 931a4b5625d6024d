#pragma once

// What every benchmark of the programming sequence reports: that each run
// succeeded, heap allocations per run, and the bytes of the two 64 KiB
// transfers per run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "app/program.h"
#include "isp/program_firmware.h"
#include "testing/program_harness.h"

namespace updater {

/// One programming run of the program's image over `route`, as the ISP job
/// hands it to the sequence.
inline void programOnce(Program& program, RunRoute& route, std::uint32_t length) {
  RunSink sink = program.sink();
  SequenceContext context{route, program.port, sink};
  programFirmware({program.firmwareImage.image, length, program.userIspData.romSelectCode}, context, program.tally);
}

/// The program set up for the runs: a 64 KiB test image in its image buffer,
/// and room in StatusLog for every run's lines.
inline void prepareProgrammingRuns(Program& program) {
  const auto image = testImage(65535);
  std::copy(image.begin(), image.end(), program.firmwareImage.image.begin());
  program.statusLog.reserve(1 << 20);
}

/// The device table's first slot holds one reader, at drive `letter`.
inline void selectReaderAt(Program& program, char letter) {
  DeviceEntry& entry = program.deviceTable.entries[0];
  entry.inUse = 1;
  entry.letterCount = 1;
  entry.driveLetters[0] = letter;
}

inline void reportProgrammingRuns(benchmark::State& state, const Program& program, std::uint64_t allocations) {
  if (program.tally.successCount != static_cast<std::uint32_t>(state.iterations())) {
    state.SkipWithError("a programming run did not succeed");
  }
  state.counters["allocs_per_run"] =
      benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
  state.SetBytesProcessed(state.iterations() * 2 * 65536);
}

}  // namespace updater
