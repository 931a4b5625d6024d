#include "platform/sim/flash_file.h"

#include <fstream>

namespace updater {

bool writeFlashFile(const std::filesystem::path& path, const std::vector<Byte>& flash) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(flash.data()), static_cast<std::streamsize>(flash.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace updater
