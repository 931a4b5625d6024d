#include "cli/firmware_dump.h"

#include <fstream>
#include <vector>

#include "platform/sim/sim_machine.h"

namespace updater {
namespace {

bool writeBytes(const std::filesystem::path& path, const std::vector<Byte>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

std::string dumpFirmware(SimMachine& machine, const std::filesystem::path& directory) {
  for (const SimReader& reader : machine.readers()) {
    const std::string base = "reader-" + std::to_string(reader.number);
    const std::filesystem::path main = directory / (base + ".bin");
    const std::filesystem::path ms = directory / (base + "-ms.bin");
    if (!writeBytes(main, reader.loader.flash)) return "cannot write " + main.string();
    if (!writeBytes(ms, reader.msLoader.flash)) return "cannot write " + ms.string();
  }
  return {};
}

}  // namespace updater
