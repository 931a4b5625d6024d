#include "testing/temporary_directory.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace updater {

TemporaryDirectory::TemporaryDirectory() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  // A name another process already took is simply drawn again.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = base / ("updater-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("no fresh temporary directory");
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TemporaryDirectory::writeFile(std::string_view name, std::string_view contents) const {
  std::ofstream file(path_ / name, std::ios::binary | std::ios::trunc);
  file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!file) throw std::runtime_error("cannot write test file " + std::string(name));
}

std::string TemporaryDirectory::readFile(std::string_view name) const {
  std::ifstream file(path_ / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool TemporaryDirectory::exists(std::string_view name) const {
  std::error_code ignored;
  return std::filesystem::exists(path_ / name, ignored);
}

void TemporaryDirectory::remove(std::string_view name) const { std::filesystem::remove_all(path_ / name); }

}  // namespace updater
