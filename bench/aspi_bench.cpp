// The ASPI route under the programming sequence: a 64 KiB image to a reader
// behind a layer that completes and posts every request at once, so the
// figures are the route's own work: one request block and data buffer per
// command, and the wait for its posting.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string_view>

#include "allocation_counter.h"
#include "programming_runs.h"
#include "app/program.h"
#include "device/aspi/aspi_route.h"
#include "isp/program_firmware.h"
#include "platform/aspi_srb.h"
#include "quiet_platform.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

namespace srb = aspi_srb;

// One host adapter with the reader at target 0 of adapter 0. Inquiry and
// identify answer zeros, which is the identity of the selected (empty)
// table entry; the loader says yes to everything.
class AgreeingAspiPort : public QuietPort {
 public:
  ModuleValue loadLibrary(std::string_view) override { return ModuleValue{1}; }
  EntryPointValue procAddress(ModuleValue, std::string_view name) override {
    return name == "GetASPI32SupportInfo" ? EntryPointValue{1} : EntryPointValue{2};
  }
  bool freeLibrary(ModuleValue) override { return true; }
  std::uint32_t getAspi32SupportInfo(EntryPointValue) override { return (srb::kComplete << 8) | 1u; }

  // The block names its buffer by this address; the request sent next is
  // the one it belongs to.
  DataAddress dataAddress(Bytes buffer) override {
    data_ = buffer;
    return buffer.empty() ? 0 : 1;
  }

  std::uint32_t sendAspi32Command(EntryPointValue, Bytes block, AspiPostingRoutine& posting) override {
    const Byte operation = block[srb::kCdbByte + 1];
    std::fill(data_.begin(), data_.end(), Byte{0});
    switch (operation) {
      case kJumpToIspCode: status_ = IspReady; break;
      case kProgramDataCode: status_ = IspWriteOk; break;
      case kVerifyDataCode: status_ = IspVerifyOk; break;
      case kGetIspStatusCode:
        if (!data_.empty()) data_[0] = status_;
        break;
      default: break;
    }
    putU8(block, srb::kStatus, srb::kComplete);
    posting.posted(block);
    return srb::kComplete;
  }

 private:
  Bytes data_;
  Byte status_ = 0;
};

void BM_AspiProgramFirmware64K(benchmark::State& state) {
  AgreeingAspiPort port;
  QuietMainView mainView;
  QuietStatusView statusView;
  Program program(port, mainView, statusView);
  program.deviceTable.entries[0].inUse = 1;
  prepareProgrammingRuns(program);
  AspiRoute aspi(port);
  RouteRun route(aspi, program.deviceTable, program.selectedDriverName);

  const std::uint64_t before = heapAllocations();
  for (auto _ : state) {
    program.statusLog.clear();
    programOnce(program, route, 65535);
  }
  const std::uint64_t allocations = heapAllocations() - before;

  reportProgrammingRuns(state, program, allocations);
}
BENCHMARK(BM_AspiProgramFirmware64K);

}  // namespace
}  // namespace updater
