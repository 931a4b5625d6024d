// Exercises the simulated machine only, not the updater's routes or jobs:
// it guards the test platform the route tests stand on.
//
// Any bytes as a pass-through request to a reader's drive: the simulated
// machine must answer or reject, never read or write outside the buffer.
// Input: 4 bytes input size, 4 bytes output size (little-endian, each taken
// modulo the buffer size plus one), then the start of the request buffer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sim/sim_machine.h"

namespace {

constexpr std::size_t kBufferSize = 65616;

std::size_t sizeField(const std::uint8_t* data) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return value % (kBufferSize + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  updater::MachineDescription description;
  description.readers.resize(1);
  description.readers[0].letters = "E";
  updater::Transcript transcript;
  updater::SimMachine machine(transcript, description);

  const std::size_t inputSize = sizeField(data);
  const std::size_t outputSize = sizeField(data + 4);
  std::vector<std::uint8_t> buffer(kBufferSize);
  std::copy_n(data + 8, std::min(size - 8, kBufferSize), buffer.begin());

  const updater::HandleValue drive =
      machine.createFile("\\\\.\\E:", updater::kGenericRead | updater::kGenericWrite,
                         updater::kFileShareRead | updater::kFileShareWrite, updater::kOpenExisting, 0);
  updater::ConstBytes input(buffer.data(), inputSize);
  updater::Bytes output(buffer.data(), outputSize);
  // Twice: once to enter the loader, once for what follows.
  machine.deviceIoControl(drive, 0x4D004, input, output);
  machine.deviceIoControl(drive, 0x4D004, input, output);
  machine.closeHandle(drive);
  if (machine.openHandleCount() != 0) __builtin_trap();
  return 0;
}
