// The pass-through route on a Linux host under the programming sequence: the
// request buffer the core fills is carried as SG_IO requests by the host
// port, with the kernel's driver replaced by one that answers at once. The
// figures are the core's and the port's own work, and the heap allocations
// per run, which must be none.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "allocation_counter.h"
#include "programming_runs.h"
#include "app/program.h"
#include "device/pass_through/pass_through_route.h"
#include "platform/linux/linux_host_port.h"
#include "quiet_platform.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

// A SCSI generic driver whose one reader's loader says yes to everything.
class AgreeingScsiGeneric final : public ScsiGeneric {
 public:
  int open(const std::string&) override { return 7; }
  void close(int) override {}
  int sgIo(int, sg_io_hdr_t& header) override {
    switch (header.cmdp[1]) {
      case kJumpToIspCode: status_ = IspReady; break;
      case kProgramDataCode: status_ = IspWriteOk; break;
      case kVerifyDataCode: status_ = IspVerifyOk; break;
      case kGetIspStatusCode: static_cast<Byte*>(header.dxferp)[0] = status_; break;
      default: break;
    }
    header.status = 0;
    header.host_status = 0;
    header.driver_status = 0;
    header.sb_len_wr = 0;
    header.resid = 0;
    return 0;
  }

 private:
  Byte status_ = 0;
};

// The protocol's pauses are not the port's work.
class QuietClock final : public Clock {
 public:
  void sleep(std::uint32_t) override {}
  LocalDateTime localDateTime() override { return {{2008, 5, 20}, 9, 0, 0}; }
};

std::vector<HostReader> oneReader() {
  HostReader reader;
  reader.usbName = "1-1";
  reader.units = {{0, "sg1", "sdb"}};
  return {reader};
}

void BM_HostProgramFirmware64K(benchmark::State& state) {
  AgreeingScsiGeneric scsiGeneric;
  LinuxHostPort port(oneReader(), scsiGeneric, {"Linux", "bench"});
  QuietMainView mainView;
  QuietStatusView statusView;
  Program program(port, mainView, statusView);
  selectReaderAt(program, 'C');
  prepareProgrammingRuns(program);
  PassThroughRoute passThrough(port);
  RouteRun route(passThrough, program.deviceTable, program.selectedDriverName);

  QuietClock clock;
  RunSink sink = program.sink();
  SequenceContext context{route, clock, sink};
  const LoaderImage image64K{program.firmwareImage.image, 65535, program.userIspData.romSelectCode};

  const std::uint64_t before = heapAllocations();
  for (auto _ : state) {
    program.statusLog.clear();
    programFirmware(image64K, context, program.tally);
  }
  const std::uint64_t allocations = heapAllocations() - before;

  // Six commands per run: jump, status, program, status, compare, status.
  reportProgrammingRuns(state, program, allocations);
}
BENCHMARK(BM_HostProgramFirmware64K);

}  // namespace
}  // namespace updater
