#include "device/self_driver.h"

#include "common/program.h"

namespace updater {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr std::size_t kLongestBaseName = 14;
constexpr std::uint32_t kDriverAccess = kGenericRead | kGenericWrite;
constexpr std::uint32_t kNoSharing = 0;
constexpr std::string_view kNtLoadFailure = "Loading UdskIO.Sys is Failed!";

constexpr int kOpened = 0;
constexpr int kNotOpened = 1;

UniqueHandle openDriver(Program& program, std::uint32_t flags) {
  return openOwned(program.port, selfDriverDeviceName(program.selectedDriverName), kDriverAccess, kNoSharing,
                   kOpenExisting, flags);
}

// Closes what an earlier command left open before the new open, so that no
// handle is lost and a delete-on-close driver can be unloaded in between.
int open9x(Program& program, std::uint32_t flags) {
  UniqueHandle& handle = program.selfDriver.driver9x;
  handle.reset();
  handle = openDriver(program, flags);
  return handle.isOpen() ? kOpened : kNotOpened;
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

int openPortDriver(Program& program) { return open9x(program, 0); }

int openDynamicDriver(Program& program) { return open9x(program, kFileFlagDeleteOnClose); }

int openNtDriver(Program& program, bool probe) {
  UniqueHandle& handle = program.selfDriver.driverNt;
  handle.reset();
  handle = openDriver(program, 0);
  if (!handle.isOpen()) {
    program.port.consoleLine(kNtLoadFailure);
    return kNotOpened;
  }
  if (probe) handle.reset();
  return kOpened;
}

void closeDriver9x(Program& program) { program.selfDriver.driver9x.reset(); }

void closeNtDriver(Program& program) { program.selfDriver.driverNt.reset(); }

}  // namespace updater
