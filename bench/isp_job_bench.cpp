// A whole ISP job for a 64 KiB type-6 image on a "4023" reader: the address
// file, BmpMap, image and SERIAL.TXT read from a temporary directory, the
// BmpMap inserted (unscramble and scramble of the body), the identity data
// and serial descriptor patched, the transfer and compare on the simulated
// loader over the virtual clock, SERIAL.TXT advanced and saved (staged,
// flushed to the disk, renamed). Beside it the same run without the files:
// the insertion, the patch and the programming sequence alone.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>

#include "allocation_counter.h"
#include "programming_runs.h"
#include "app/program.h"
#include "device/hardware_revision.h"
#include "isp/program_firmware.h"
#include "jobs/image_patch.h"
#include "jobs/isp_job.h"
#include "quiet_platform.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"
#include "testing/test_routes.h"

namespace updater {
namespace {

constexpr std::uint32_t kImageLength = 65535;
constexpr AddressRecord kAddress{0x100, 2, 0x100, 0x300, 0x800};
constexpr HardwareRevision k4023{0x40, 0x23, 'A'};

template <std::size_t N>
void setName(std::array<char, N>& field, std::string_view name) {
  field.fill('\0');
  std::copy(name.begin(), name.end(), field.begin());
}

void writeBytes(const std::filesystem::path& path, const std::vector<Byte>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<Byte> typeSixImage() {
  std::vector<Byte> image = testImage(kImageLength, 3);
  image[0] = 6;
  image[1] = kScrambledMark;
  return image;
}

// A program on the quiet platform, set up as DEVICE.TXT and a scan would
// leave it for a "4023" reader on Windows XP.
struct QuietProgram {
  QuietProgram() {
    program.osMode = OsMode::WinXp;
    program.selectedDriverName = "UDSKIO.SYS";
    UserIspData& data = program.userIspData;
    setName(data.romCodeFile, "FW.BIN");
    setName(data.addressFile, "FW.adr");
    setName(data.bmpMapFile, "MAP.BIN");
    data.bmpMapActive = true;
    data.vendorId = 0x1234;
    data.vendorIdActive = true;
    data.manufacturerLength = 5;
    data.deviceSettingActive = true;
    DeviceTable& table = program.deviceTable;
    table.entries[0].inUse = 1;
    table.entries[0].usbHwRevision = k4023;
    table.deviceCount = 1;
    table.hardwareRevisionText = hardwareRevisionText(k4023);
    program.statusLog.reserve(1 << 12);
    loader.flash.reserve(kImageBufferSize);
  }

  bool allSucceeded(std::int64_t runs) const {
    return program.tally.successCount == static_cast<std::uint32_t>(runs) && mainView.boxes == 0;
  }

  QuietPort port;
  QuietMainView mainView;
  QuietStatusView statusView;
  Program program{port, mainView, statusView};
  SimLoader loader;
  TestRoutes routes{loader};

  /// The ISP job as the operator command runs it, on the route of Windows XP.
  void runIsp() {
    RunSink sink = program.sink();
    JobContext job = program.jobContext(sink, &routes.of(AccessRoute::PassThrough));
    runIspJob(job, program.tally, program.serialCounter);
  }
};

void reportPerRun(benchmark::State& state, std::uint64_t allocations, std::uint64_t virtualMs) {
  const auto runs = static_cast<double>(state.iterations());
  state.counters["allocs_per_run"] = benchmark::Counter(static_cast<double>(allocations) / runs);
  state.counters["virtual_ms_per_run"] = benchmark::Counter(static_cast<double>(virtualMs) / runs);
}

void BM_IspJob64K(benchmark::State& state) {
  QuietProgram quiet;
  TemporaryDirectory directory;
  quiet.program.workingDirectory = directory.path();
  writeBytes(directory.path() / "FW.BIN", typeSixImage());
  const std::uint32_t words[] = {kAddress.blockOffset, kAddress.serialSlot, kAddress.slotSize,
                                 kAddress.plainLength, kAddress.bmpMapOffset};
  std::vector<Byte> address(sizeof words);
  for (std::size_t i = 0; i < std::size(words); ++i) putU32(address, 4 * i, words[i]);
  writeBytes(directory.path() / "FW.adr", address);
  writeBytes(directory.path() / "MAP.BIN", testImage(kBmpMapSize, 21));
  directory.writeFile("SERIAL.TXT", "12 34 0");

  const std::uint64_t before = heapAllocations();
  for (auto _ : state) quiet.runIsp();
  const std::uint64_t allocations = heapAllocations() - before;

  if (!quiet.allSucceeded(state.iterations())) state.SkipWithError("an ISP job did not succeed");
  reportPerRun(state, allocations, quiet.port.virtualMs);
  state.SetBytesProcessed(state.iterations() * 2 * kImageBufferSize);
}
BENCHMARK(BM_IspJob64K);

void BM_IspJobStepsWithoutFiles64K(benchmark::State& state) {
  QuietProgram quiet;
  const std::vector<Byte> image = typeSixImage();
  const std::vector<Byte> map = testImage(kBmpMapSize, 21);
  FirmwareImage& firmware = quiet.program.firmwareImage;
  std::copy(map.begin(), map.end(), firmware.bmpMap.begin());
  const SerialDescriptor descriptor = serialDescriptor({'1', '2', '7', 'C', '1', '9', '3', '4', '0', '0', '0', '5'});
  RunRoute& route = quiet.routes.of(AccessRoute::PassThrough).run();

  const std::uint64_t before = heapAllocations();
  for (auto _ : state) {
    std::copy(image.begin(), image.end(), firmware.image.begin());
    firmware.length = kImageLength;
    insertBmpMap(firmware, kAddress);
    if (patchImage(firmware, kAddress, quiet.program.userIspData, descriptor) != PatchResult::Patched) {
      state.SkipWithError("the patch was refused");
      break;
    }
    quiet.program.statusLog.clear();
    programOnce(quiet.program, route, kImageLength);
  }
  const std::uint64_t allocations = heapAllocations() - before;

  if (!quiet.allSucceeded(state.iterations())) state.SkipWithError("a programming run did not succeed");
  reportPerRun(state, allocations, quiet.port.virtualMs);
  state.SetBytesProcessed(state.iterations() * 2 * kImageBufferSize);
}
BENCHMARK(BM_IspJobStepsWithoutFiles64K);

}  // namespace
}  // namespace updater
