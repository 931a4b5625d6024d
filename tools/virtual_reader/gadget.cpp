#include "gadget.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace updater {
namespace {

bool writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text;
  out.close();
  return static_cast<bool>(out);
}

std::string hex4(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", value);
  return text;
}

std::string function(const GadgetPaths& paths) { return paths.root + "/functions/ffs." + paths.name; }

}  // namespace

std::string createGadget(const GadgetPaths& paths, const ReaderDescription& reader) {
  const std::string strings = paths.root + "/strings/0x409";
  const std::string config = paths.root + "/configs/c.1";
  for (const std::string& dir : {paths.root, strings, config, function(paths), paths.mount}) {
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return "cannot create " + dir;
  }
  const bool written = writeText(paths.root + "/idVendor", hex4(reader.vendorId)) &&
                       writeText(paths.root + "/idProduct", hex4(reader.productId)) &&
                       writeText(strings + "/manufacturer", reader.manufacturer) &&
                       writeText(strings + "/product", reader.product) &&
                       writeText(strings + "/serialnumber", reader.serial);
  if (!written) return "cannot write the gadget's attributes";
  if (symlink(function(paths).c_str(), (config + "/ffs." + paths.name).c_str()) != 0 && errno != EEXIST) {
    return "cannot link the function into the configuration";
  }
  if (mount(paths.name.c_str(), paths.mount.c_str(), "functionfs", 0, nullptr) != 0) return "cannot mount functionfs";
  return {};
}

bool bindGadget(const GadgetPaths& paths, const std::string& udc) { return writeText(paths.root + "/UDC", udc); }

void removeGadget(const GadgetPaths& paths) {
  bindGadget(paths, "\n");
  umount(paths.mount.c_str());
  rmdir(paths.mount.c_str());
  unlink((paths.root + "/configs/c.1/ffs." + paths.name).c_str());
  rmdir((paths.root + "/configs/c.1").c_str());
  rmdir(function(paths).c_str());
  rmdir((paths.root + "/strings/0x409").c_str());
  rmdir(paths.root.c_str());
}

}  // namespace updater
