#include "virtual_reader/configfs_gadget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace updater {
namespace {

namespace fs = std::filesystem;

const fs::path kGadgetRoot = "/sys/kernel/config/usb_gadget";
constexpr const char* kEnglishUs = "0x409";
constexpr const char* kConfiguration = "c.1";

std::string hexWord(std::uint16_t value) {
  char text[8];
  (void)std::snprintf(text, sizeof text, "0x%04x", value);
  return text;
}

std::string failure(const std::string& what, const fs::path& path, int error) {
  return what + " " + path.string() + ": " + std::strerror(error);
}

}  // namespace

ConfigfsGadget::ConfigfsGadget(std::string name) : name_(std::move(name)), root_(kGadgetRoot / name_) {}

ConfigfsGadget::~ConfigfsGadget() {
  unbind();
  remove();
}

std::string ConfigfsGadget::makeDirectory(const fs::path& path) {
  if (::mkdir(path.c_str(), 0755) != 0) return failure("cannot make", path, errno);
  made_.push_back(path);
  return {};
}

std::string ConfigfsGadget::writeAttribute(const fs::path& path, const std::string& value) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (file < 0) return failure("cannot open", path, errno);
  const ssize_t written = ::write(file, value.data(), value.size());
  const int error = errno;
  ::close(file);
  if (written != static_cast<ssize_t>(value.size())) return failure("cannot write", path, written < 0 ? error : EIO);
  return {};
}

std::string ConfigfsGadget::create(const GadgetIdentity& identity) {
  const fs::path strings = root_ / "strings" / kEnglishUs;
  const fs::path configuration = root_ / "configs" / kConfiguration;
  const fs::path configurationStrings = configuration / "strings" / kEnglishUs;
  const fs::path function = root_ / "functions" / ("ffs." + name_);
  const fs::path link = configuration / ("ffs." + name_);

  // configfs makes the gadget's own subdirectories; only the named ones are ours.
  for (const fs::path& directory : {root_, strings, configuration, configurationStrings, function}) {
    if (std::string error = makeDirectory(directory); !error.empty()) return error;
  }
  const std::pair<fs::path, std::string> attributes[] = {
      {root_ / "idVendor", hexWord(identity.vendorId)},
      {root_ / "idProduct", hexWord(identity.productId)},
      {root_ / "bcdUSB", "0x0200"},
      {root_ / "bcdDevice", "0x0100"},
      {strings / "manufacturer", identity.manufacturer},
      {strings / "product", identity.product},
      {strings / "serialnumber", identity.serial},
      {configurationStrings / "configuration", "Card reader"},
      {configuration / "MaxPower", "100"},
  };
  for (const auto& [path, value] : attributes) {
    if (std::string error = writeAttribute(path, value); !error.empty()) return error;
  }
  if (::symlink(function.c_str(), link.c_str()) != 0) return failure("cannot link", link, errno);
  made_.push_back(link);
  return {};
}

std::string ConfigfsGadget::bind(const std::string& udc) {
  const std::lock_guard lock(bindLock_);
  std::string error = writeAttribute(root_ / "UDC", udc);
  bound_ = error.empty();
  return error;
}

void ConfigfsGadget::unbind() {
  const std::lock_guard lock(bindLock_);
  if (!bound_) return;
  bound_ = false;
  // The kernel takes a lone newline as "no controller".
  if (std::string error = writeAttribute(root_ / "UDC", "\n"); !error.empty()) {
    (void)std::fprintf(stderr, "virtual-reader: %s\n", error.c_str());
  }
}

void ConfigfsGadget::remove() {
  while (!made_.empty()) {
    const fs::path& path = made_.back();
    std::error_code ignored;
    const int result = fs::is_symlink(path, ignored) ? ::unlink(path.c_str()) : ::rmdir(path.c_str());
    if (result != 0) (void)std::fprintf(stderr, "virtual-reader: cannot remove %s: %s\n", path.c_str(), std::strerror(errno));
    made_.pop_back();
  }
}

}  // namespace updater
