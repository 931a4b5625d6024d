#include "platform/linux/usb_reader_scan.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <system_error>

namespace updater {
namespace {

namespace fs = std::filesystem;

/// The USB interface class of mass storage.
constexpr std::string_view kMassStorageClass = "08";

/// The first line of a sysfs attribute file; empty when it cannot be read.
std::string attribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::uint16_t hexAttribute(const fs::path& file) {
  const std::string text = attribute(file);
  unsigned value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return static_cast<std::uint16_t>(value);
}

/// The logical unit of a SCSI device named "host:channel:target:lun".
std::optional<int> lunOf(const std::string& scsiName) {
  const std::size_t colon = scsiName.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  int lun = 0;
  const char* first = scsiName.data() + colon + 1;
  const char* last = scsiName.data() + scsiName.size();
  const auto [end, error] = std::from_chars(first, last, lun);
  if (error != std::errc{} || end != last) return std::nullopt;
  return lun;
}

/// The USB interface above `scsiDevice`: the nearest ancestor with an
/// interface class.
std::optional<fs::path> usbInterfaceAbove(const fs::path& scsiDevice) {
  std::error_code error;
  for (fs::path dir = scsiDevice.parent_path(); dir.has_relative_path(); dir = dir.parent_path()) {
    if (fs::exists(dir / "bInterfaceClass", error)) return dir;
  }
  return std::nullopt;
}

std::string blockNameOf(const fs::path& scsiDevice) {
  std::error_code error;
  fs::directory_iterator blocks(scsiDevice / "block", error);
  if (error || blocks == fs::directory_iterator()) return {};
  return blocks->path().filename().string();
}

HostReader readerAt(const fs::path& usbDevice) {
  HostReader reader;
  reader.usbName = usbDevice.filename().string();
  reader.vendorId = hexAttribute(usbDevice / "idVendor");
  reader.productId = hexAttribute(usbDevice / "idProduct");
  reader.manufacturer = attribute(usbDevice / "manufacturer");
  reader.product = attribute(usbDevice / "product");
  reader.serial = attribute(usbDevice / "serial");
  return reader;
}

struct FoundUnit {
  fs::path usbDevice;
  HostUnit unit;
};

/// The unit of the SCSI generic node at `classEntry` (class/scsi_generic/sgN),
/// when it sits below a USB mass-storage interface.
std::optional<FoundUnit> usbUnit(const fs::path& classEntry) {
  std::error_code error;
  const fs::path scsiDevice = fs::canonical(classEntry / "device", error);
  if (error) return std::nullopt;
  const std::optional<int> lun = lunOf(scsiDevice.filename().string());
  const std::optional<fs::path> interface = usbInterfaceAbove(scsiDevice);
  if (!lun || !interface || attribute(*interface / "bInterfaceClass") != kMassStorageClass) return std::nullopt;
  const fs::path usbDevice = interface->parent_path();
  if (!fs::exists(usbDevice / "idVendor", error)) return std::nullopt;
  return FoundUnit{usbDevice, HostUnit{*lun, classEntry.filename().string(), blockNameOf(scsiDevice)}};
}

std::vector<FoundUnit> usbUnits(const fs::path& sysfsRoot) {
  std::vector<FoundUnit> found;
  std::error_code error;
  for (fs::directory_iterator it(sysfsRoot / "class" / "scsi_generic", error), end; !error && it != end;
       it.increment(error)) {
    if (std::optional<FoundUnit> unit = usbUnit(it->path())) found.push_back(std::move(*unit));
  }
  return found;
}

}  // namespace

std::vector<HostReader> scanUsbReaders(const fs::path& sysfsRoot) {
  std::vector<FoundUnit> found = usbUnits(sysfsRoot);
  std::sort(found.begin(), found.end(), [](const FoundUnit& a, const FoundUnit& b) {
    return a.usbDevice != b.usbDevice ? a.usbDevice < b.usbDevice : a.unit.lun < b.unit.lun;
  });
  std::vector<HostReader> readers;
  const fs::path* current = nullptr;
  for (FoundUnit& unit : found) {
    if (current == nullptr || *current != unit.usbDevice) readers.push_back(readerAt(unit.usbDevice));
    current = &unit.usbDevice;
    readers.back().units.push_back(std::move(unit.unit));
  }
  return readers;
}

}  // namespace updater
