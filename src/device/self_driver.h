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
#include "platform/port_owned.h"
#include "platform/self_driver_records.h"

namespace updater {

struct Program;

/// The self-driver routes' program-wide state: the two handles and the NT
/// driver's request record, allocated once.
struct SelfDriverState {
  /// The Windows 98/ME driver (SelfDriverPort, SelfDriverDynamic).
  UniqueHandle driver9x;
  /// The Windows 2000 driver (SelfDriverNt).
  UniqueHandle driverNt;
  std::vector<Byte> ntRequest = std::vector<Byte>(nt_driver::kRecordSize, 0);
};

/// "\\.\" and the base name of `selectedDriverName`: its characters before
/// the first '.', when there are 1 to 14 of them; otherwise "\\.\" alone,
/// which opens nothing.
std::string selfDriverDeviceName(std::string_view selectedDriverName);

/// Opens the chosen driver plainly as the Windows 98/ME handle (SelfDriverPort).
/// A handle still open from an earlier command is closed first. 0 when open, 1
/// otherwise.
int openPortDriver(Program& program);

/// The same with delete-on-close (SelfDriverDynamic): the system unloads the
/// driver when its last handle closes.
int openDynamicDriver(Program& program);

/// Opens the chosen driver as the Windows 2000 handle (SelfDriverNt). On
/// failure writes "Loading UdskIO.Sys is Failed!" to the console and returns
/// 1. With `probe` the handle is closed again at once: the open only proves
/// the driver is installed. Returns 0 on success.
int openNtDriver(Program& program, bool probe);

/// Closes the Windows 98/ME handle, if open, and forgets it.
void closeDriver9x(Program& program);

/// Closes the Windows 2000 handle, if open, and forgets it.
void closeNtDriver(Program& program);

}  // namespace updater
