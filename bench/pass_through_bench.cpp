// The pass-through route under the programming sequence: a 64 KiB image to a
// reader that answers at once, so the figures are the route's own work
// (clearing and filling the 65,616-byte request buffer per command) and its
// heap allocations per run, which must be none.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "allocation_counter.h"
#include "programming_runs.h"
#include "app/program.h"
#include "device/pass_through/pass_through_route.h"
#include "isp/program_firmware.h"
#include "quiet_platform.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

namespace spt = scsi_pass_through;

// One reader on drive E whose loader says yes to everything.
class AgreeingReaderPort : public QuietPort {
 public:
  HandleValue createFile(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override {
    return HandleValue{0x10};
  }
  bool closeHandle(HandleValue) override { return true; }
  DeviceIoResult deviceIoControl(HandleValue, std::uint32_t, ConstBytes input, Bytes output) override {
    switch (input[spt::kCdb + 1]) {
      case kJumpToIspCode: status_ = IspReady; break;
      case kProgramDataCode: status_ = IspWriteOk; break;
      case kVerifyDataCode: status_ = IspVerifyOk; break;
      case kGetIspStatusCode: output[spt::kDataArea] = status_; break;
      default: break;
    }
    return {true, static_cast<std::uint32_t>(output.size())};
  }

 private:
  Byte status_ = 0;
};

void BM_PassThroughProgramFirmware64K(benchmark::State& state) {
  AgreeingReaderPort port;
  QuietMainView mainView;
  QuietStatusView statusView;
  Program program(port, mainView, statusView);
  selectReaderAt(program, 'E');
  prepareProgrammingRuns(program);
  PassThroughRoute passThrough(port);
  RouteRun route(passThrough, program.deviceTable, program.selectedDriverName);

  const std::uint64_t before = heapAllocations();
  for (auto _ : state) {
    program.statusLog.clear();
    programOnce(program, route, 65535);
  }
  const std::uint64_t allocations = heapAllocations() - before;

  // Six commands per run: jump, status, program, status, compare, status.
  reportProgrammingRuns(state, program, allocations);
}
BENCHMARK(BM_PassThroughProgramFirmware64K);

}  // namespace
}  // namespace updater
