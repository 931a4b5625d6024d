// make-demo-image DIR: writes the demo's firmware files into DIR (the
// committed copies live in examples/demo; a test keeps them equal to what
// this program makes).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

#include "tools/demo_files.h"

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<updater::Byte>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "make-demo-image: cannot write %s\n", path.string().c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-demo-image DIR\n");
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    std::fprintf(stderr, "make-demo-image: cannot create %s: %s\n", directory.string().c_str(),
                 error.message().c_str());
    return 1;
  }
  const updater::DemoFiles files = updater::makeDemoFiles();
  const bool written = writeFile(directory / updater::kDemoImageName, files.image) &&
                       writeFile(directory / updater::kDemoAddressName, files.address) &&
                       writeFile(directory / updater::kDemoBmpMapName, files.bmpMap) &&
                       writeFile(directory / updater::kDemoMsFirmwareName, files.msFirmware);
  return written ? 0 : 1;
}
