// make-demo-image DIR: writes the demo's firmware files into DIR (the
// committed copies live in examples/demo; a test keeps them equal to what
// this program makes).

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>
#include <system_error>

#include "tools/demo_files.h"

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<updater::Byte>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "make-demo-image: cannot write " << path.string() << "\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-demo-image DIR\n";
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    std::cerr << "make-demo-image: cannot create " << directory.string() << ": " << error.message() << "\n";
    return 1;
  }
  const updater::DemoFiles files = updater::makeDemoFiles();
  const bool written = writeFile(directory / updater::kDemoImageName, files.image) &&
                       writeFile(directory / updater::kDemoAddressName, files.address) &&
                       writeFile(directory / updater::kDemoBmpMapName, files.bmpMap) &&
                       writeFile(directory / updater::kDemoMsFirmwareName, files.msFirmware);
  return written ? 0 : 1;
}
