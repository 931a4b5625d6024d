#include "device/self_driver/self_driver.h"

namespace updater {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr std::size_t kLongestBaseName = 14;
constexpr std::uint32_t kDriverAccess = kGenericRead | kGenericWrite;
constexpr std::uint32_t kNoSharing = 0;
constexpr std::string_view kNtLoadFailure = "Loading UdskIO.Sys is Failed!";

constexpr int kOpened = 0;
constexpr int kNotOpened = 1;

UniqueHandle openDriver(Port& port, std::string_view driverName, std::uint32_t flags) {
  return openOwned(port, selfDriverDeviceName(driverName), kDriverAccess, kNoSharing, kOpenExisting, flags);
}

}  // namespace

std::string selfDriverDeviceName(std::string_view selectedDriverName) {
  std::string name(kDevicePrefix);
  const std::size_t dot = selectedDriverName.find('.');
  if (dot != std::string_view::npos && dot >= 1 && dot <= kLongestBaseName) {
    name += selectedDriverName.substr(0, dot);
  }
  return name;
}

// Closes what an earlier command left open before the new open, so that no
// handle is lost and a delete-on-close driver can be unloaded in between.
int Driver9x::open(std::string_view driverName, std::uint32_t flags) {
  handle_.reset();
  handle_ = openDriver(port_, driverName, flags);
  return handle_.isOpen() ? kOpened : kNotOpened;
}

int NtDriver::open(std::string_view driverName, bool probe) {
  handle_.reset();
  handle_ = openDriver(port_, driverName, 0);
  if (!handle_.isOpen()) {
    port_.consoleLine(kNtLoadFailure);
    return kNotOpened;
  }
  if (probe) handle_.reset();
  return kOpened;
}

}  // namespace updater
