// Exercises the simulated machine only, not the updater's routes or jobs:
// it guards the test platform the route tests stand on.
//
// Any bytes as a request to a simulated self driver: the machine must answer
// or reject, never read or write outside the record or the areas the record
// names. Input: 1 byte driver (port, dynamic, NT), 4 bytes control code, 4
// bytes input size and 4 bytes output size (little-endian, each taken modulo
// the record size plus one), then the start of the record. Two areas are
// named before each request: a 64 KiB one at the first data address and an
// 8-byte one after it, so records can reach both.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "testing/driver_request.h"

namespace {

constexpr std::size_t kRecordSize = 65552;
constexpr std::size_t kHeader = 13;

std::uint32_t u32(const std::uint8_t* data) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) return 0;
  const int driver = data[0] % 3;
  updater::MachineDescription description;
  description.windows = driver == 2 ? updater::WindowsVersion{true, 5, 0} : updater::WindowsVersion{false, 4, 10};
  description.selfDrivers = {"UDSKIO", "KV20DISK"};
  description.readers.resize(2);
  description.readers[0].letters = "E";
  description.readers[1].letters = "FG";
  updater::Transcript transcript;
  updater::SimMachine machine(transcript, description);

  const std::uint32_t controlCode = u32(data + 1);
  const std::size_t inputSize = u32(data + 5) % (kRecordSize + 1);
  const std::size_t outputSize = u32(data + 9) % (kRecordSize + 1);
  std::vector<std::uint8_t> record(kRecordSize);
  std::copy_n(data + kHeader, std::min(size - kHeader, kRecordSize), record.begin());
  std::vector<std::uint8_t> area(65536);
  std::vector<std::uint8_t> answer(8);

  const updater::HandleValue handle =
      updater::openSelfDriverNamed(machine, driver == 1 ? "KV20DISK" : "UDSKIO", driver == 1);
  // Three times: to switch or enter a loader, then for what follows.
  for (int i = 0; i < 3; ++i) {
    machine.dataAddress(area);
    machine.dataAddress(answer);
    machine.deviceIoControl(handle, controlCode, updater::ConstBytes(record.data(), inputSize),
                            updater::Bytes(area.data(), std::min(outputSize, area.size())));
  }
  machine.closeHandle(handle);
  if (machine.openHandleCount() != 0) __builtin_trap();
  return 0;
}
