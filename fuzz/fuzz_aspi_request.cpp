// Exercises the simulated machine only, not the updater's routes or jobs:
// it guards the test platform the route tests stand on.
//
// Any bytes as an ASPI request block to a reader on the layer: the simulated
// machine must carry or reject it, never read or write outside the block or
// the buffer it names, and post every request it took exactly once.
// Input: the 256-byte request block, then the data buffer. The low 16 bits of
// SRB_BufPointer are taken as an offset from the buffer's address.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/aspi_srb.h"
#include "platform/sim/sim_machine.h"

namespace {

namespace srb = updater::aspi_srb;

class CountingPosting : public updater::AspiPostingRoutine {
 public:
  void posted(updater::Bytes) override { ++count; }
  int count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < srb::kBlockSize) return 0;
  updater::MachineDescription description;
  description.readers.resize(1);
  description.readers[0].letters = "E";
  updater::Transcript transcript;
  updater::SimMachine machine(transcript, description);

  std::vector<std::uint8_t> block(data, data + srb::kBlockSize);
  std::vector<std::uint8_t> buffer(data + srb::kBlockSize, data + std::min<std::size_t>(size, srb::kBlockSize + 65536));
  const updater::ModuleValue module = machine.loadLibrary("WNASPI32");
  const updater::EntryPointValue send = machine.procAddress(module, "SendASPI32Command");

  CountingPosting posting;
  // Twice: once to enter the loader, once for what follows.
  for (int i = 0; i < 2; ++i) {
    std::vector<std::uint8_t> request = block;
    const std::uint32_t offset = updater::getU32(request, srb::kBufPointer) & 0xFFFF;
    updater::putU32(request, srb::kBufPointer, machine.dataAddress(buffer) + offset);
    machine.sendAspi32Command(send, request, posting);
    if (posting.count != i + 1) __builtin_trap();
  }
  machine.freeLibrary(module);
  if (machine.loadedModuleCount() != 0 || machine.pendingAspiPostings() != 0) __builtin_trap();
  return 0;
}
