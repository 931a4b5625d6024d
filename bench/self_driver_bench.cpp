// The self-driver routes under the programming sequence: a 64 KiB image to a
// driver that answers at once, so the figures are the routes' own work
// (building each record; on the NT route copying the image into the
// driver's 65,552-byte record) and their heap allocations per run, which
// must be none.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "allocation_counter.h"
#include "programming_runs.h"
#include "app/program.h"
#include "device/route_registry.h"
#include "isp/program_firmware.h"
#include "quiet_platform.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

// One self driver whose loader says yes to everything, on each route.
class AgreeingDriverPort : public QuietPort {
 public:
  HandleValue createFile(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override {
    return HandleValue{0x10};
  }
  bool closeHandle(HandleValue) override { return true; }
  DataAddress dataAddress(Bytes) override { return 0x1000; }
  DeviceIoResult deviceIoControl(HandleValue, std::uint32_t controlCode, ConstBytes input, Bytes output) override {
    switch (controlCode) {
      case port_driver::kControlCode:
        answer(getU32(input, port_driver::kCommand), getU32(input, port_driver::kAddress) & 0xFFFF, output);
        break;
      case dynamic_driver::kControlCode:
        answer(input[dynamic_driver::kCdb + 1], input[dynamic_driver::kCdb + send_isp_data::kMode], output);
        break;
      default:
        answer(controlCode, getU32(input, nt_driver::kMode), output);
        break;
    }
    return {true, static_cast<std::uint32_t>(output.size())};
  }

 private:
  // `command` is the port driver's command number, the NT driver's control
  // code or the dynamic driver's opcode.
  void answer(std::uint32_t command, std::uint32_t mode, Bytes output) {
    switch (command) {
      case port_driver::kJumpToIsp:
      case nt_driver::kJumpToIsp:
      case kJumpToIspCode: status_ = IspReady; break;
      case port_driver::kSendIspData:
      case nt_driver::kSendIspData:
      case kProgramDataCode:
      case kVerifyDataCode: status_ = mode == 0 ? IspWriteOk : IspVerifyOk; break;
      default: output[0] = status_; break;
    }
  }

  Byte status_ = 0;
};

void programFirmware64K(benchmark::State& state, AccessRoute id) {
  AgreeingDriverPort port;
  QuietMainView mainView;
  QuietStatusView statusView;
  Program program(port, mainView, statusView);
  program.selectedDriverName = "UDSKIO.SYS";
  prepareProgrammingRuns(program);
  RouteSet routes(port);
  Route& driver = routes.route(id);
  RouteRun route(driver, program.deviceTable, program.selectedDriverName);
  // The NT driver is opened by each run itself.
  const bool openedByTheCommand = id != AccessRoute::SelfDriverNt;

  const std::uint64_t before = heapAllocations();
  for (auto _ : state) {
    program.statusLog.clear();
    // The operator command opens the Windows 98/ME driver before each job.
    if (openedByTheCommand) driver.openDriver(program.selectedDriverName);
    programOnce(program, route, 65535);
  }
  const std::uint64_t allocations = heapAllocations() - before;

  // Six commands per run: jump, status, program, status, compare, status.
  reportProgrammingRuns(state, program, allocations);
}

void BM_NtDriverProgramFirmware64K(benchmark::State& state) { programFirmware64K(state, AccessRoute::SelfDriverNt); }
BENCHMARK(BM_NtDriverProgramFirmware64K);

void BM_PortDriverProgramFirmware64K(benchmark::State& state) {
  programFirmware64K(state, AccessRoute::SelfDriverPort);
}
BENCHMARK(BM_PortDriverProgramFirmware64K);

void BM_DynamicDriverProgramFirmware64K(benchmark::State& state) {
  programFirmware64K(state, AccessRoute::SelfDriverDynamic);
}
BENCHMARK(BM_DynamicDriverProgramFirmware64K);

}  // namespace
}  // namespace updater
