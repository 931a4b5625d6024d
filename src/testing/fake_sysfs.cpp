#include "testing/fake_sysfs.h"

#include <fstream>
#include <random>

namespace updater {
namespace {

namespace fs = std::filesystem;

void writeAttribute(const fs::path& file, const std::string& text) { std::ofstream(file) << text << '\n'; }

}  // namespace

FakeSysfs::FakeSysfs() : root_(fs::temp_directory_path() / ("sysfs-" + std::to_string(std::random_device{}()))) {
  fs::create_directories(root_ / "class" / "scsi_generic");
}

FakeSysfs::~FakeSysfs() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

fs::path FakeSysfs::usbDevice(const std::string& path, const std::string& vendorId, const std::string& productId) {
  fs::path device = root_ / "devices" / path;
  fs::create_directories(device);
  writeAttribute(device / "idVendor", vendorId);
  writeAttribute(device / "idProduct", productId);
  writeAttribute(device / "manufacturer", "Maker");
  writeAttribute(device / "product", "Card Reader " + vendorId);
  writeAttribute(device / "serial", "SN" + productId);
  return device;
}

fs::path FakeSysfs::interface(const fs::path& device, const std::string& name, const std::string& interfaceClass) {
  fs::path dir = device / name;
  fs::create_directories(dir);
  writeAttribute(dir / "bInterfaceClass", interfaceClass);
  return dir;
}

void FakeSysfs::scsiUnit(const fs::path& parent, int host, int lun, const std::string& sg, const std::string& block) {
  const std::string hostText = std::to_string(host);
  const fs::path device = parent / ("host" + hostText) / ("target" + hostText + ":0:0") /
                          (hostText + ":0:0:" + std::to_string(lun));
  fs::create_directories(device / "scsi_generic" / sg);
  if (!block.empty()) fs::create_directories(device / "block" / block);
  fs::create_directories(root_ / "class" / "scsi_generic" / sg);
  fs::create_directory_symlink(device, root_ / "class" / "scsi_generic" / sg / "device");
}

}  // namespace updater
