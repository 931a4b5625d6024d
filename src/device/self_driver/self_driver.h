#pragma once

// The vendor self drivers, opened by name: the device name made from the
// driver chosen in "Driver Select", the three opens and the two handles.
// On Windows 98/ME one handle serves the port and the dynamic driver; the
// NT driver of Windows 2000 has its own, open only inside a programming or
// verify run.

#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "platform/port.h"
#include "platform/port_owned.h"
#include "platform/self_driver_records.h"

namespace updater {

/// "\\.\" and the base name of `selectedDriverName`: its characters before
/// the first '.', when there are 1 to 14 of them; otherwise "\\.\" alone,
/// which opens nothing.
std::string selfDriverDeviceName(std::string_view selectedDriverName);

/// The Windows 98/ME driver handle. The system has one handle for the port
/// and the dynamic driver alike, so the two routes share one of these: an
/// open by either closes what the other left open.
class Driver9x {
 public:
  explicit Driver9x(Port& port) : port_(port) {}

  Port& port() { return port_; }
  const UniqueHandle& handle() const { return handle_; }

  /// Opens the driver `driverName` plainly (SelfDriverPort). A handle still
  /// open from an earlier command is closed first. 0 when open, 1 otherwise.
  int openPort(std::string_view driverName) { return open(driverName, 0); }
  /// The same with delete-on-close (SelfDriverDynamic): the system unloads
  /// the driver when its last handle closes.
  int openDynamic(std::string_view driverName) { return open(driverName, kFileFlagDeleteOnClose); }
  /// Closes the handle, if open, and forgets it.
  void close() { handle_.reset(); }

 private:
  int open(std::string_view driverName, std::uint32_t flags);

  Port& port_;
  UniqueHandle handle_;
};

/// The Windows 2000 driver (SelfDriverNt): its handle, open only inside a
/// programming or verify run, and its request record, allocated once.
class NtDriver {
 public:
  explicit NtDriver(Port& port) : port_(port) {}

  Port& port() { return port_; }
  const UniqueHandle& handle() const { return handle_; }
  Bytes requestRecord() { return request_; }

  /// Opens the driver `driverName`. On failure writes "Loading UdskIO.Sys is
  /// Failed!" to the console and returns 1. With `probe` the handle is closed
  /// again at once: the open only proves the driver is installed. Returns 0
  /// on success.
  int open(std::string_view driverName, bool probe);
  /// Closes the handle, if open, and forgets it.
  void close() { handle_.reset(); }

 private:
  Port& port_;
  UniqueHandle handle_;
  std::vector<Byte> request_ = std::vector<Byte>(nt_driver::kRecordSize, 0);
};

}  // namespace updater
