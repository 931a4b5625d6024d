#include "cli/firmware_dump.h"

#include "platform/sim/flash_file.h"
#include "platform/sim/sim_machine.h"

namespace updater {

std::string dumpFirmware(SimMachine& machine, const std::filesystem::path& directory) {
  for (const SimReader& reader : machine.readers()) {
    const std::string base = "reader-" + std::to_string(reader.number);
    const std::filesystem::path main = directory / (base + ".bin");
    const std::filesystem::path ms = directory / (base + "-ms.bin");
    if (!writeFlashFile(main, reader.loader.flash)) return "cannot write " + main.string();
    if (!writeFlashFile(ms, reader.msLoader.flash)) return "cannot write " + ms.string();
  }
  return {};
}

}  // namespace updater
