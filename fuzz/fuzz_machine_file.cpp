// Exercises the simulated machine only (its machine-file reader), not the
// updater's routes or jobs.
//
// Any text as a machine file: the reader must answer with a machine or an
// error, never crash, throw or hang. Relative file names resolve against a
// folder that does not exist.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sim/machine_file.h"
#include "platform/sim/sim_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const updater::MachineFileResult result = updater::parseMachineFile(text, "no-such-folder");
  // A machine comes without an error, and an error without a machine.
  if (result.machine.has_value() != result.error.empty()) __builtin_trap();
  if (result.machine) {
    updater::Transcript transcript;
    updater::SimMachine machine(transcript, *result.machine);
    machine.logicalDrives();
  }
  return 0;
}
