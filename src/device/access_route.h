#pragma once

// The way vendor commands travel to a reader, and how it follows from the
// route inputs: the Windows family, the "SelfDriverSel" check box and the
// kind of the chosen driver. The route is never stored; every operation
// derives it when it runs, so a change of an input takes effect at the next
// operation.

#include <cstdint>
#include <optional>
#include <string_view>

#include "device/os_mode.h"

namespace updater {

struct Program;

enum class AccessRoute {
  PassThrough,        // SCSI pass-through on the reader's drive letter
  SelfDriverNt,       // the NT self driver, opened by name
  SelfDriverPort,     // the port self driver of Windows 98/ME
  SelfDriverDynamic,  // the dynamic self driver of Windows 98/ME
  Aspi,               // the system ASPI layer of Windows ME
};

/// Which self driver the "Driver Select" list names: only the dynamic one
/// ("KV20DISK.PDR") is told apart, every other name is the port kind.
enum class DriverKind : std::uint32_t {
  Other = 0,
  Kv20Disk = 1,
};

/// The route's name as transcripts print it.
const char* routeName(AccessRoute route);

/// The kind of the driver named `selectedDriverName`: `Kv20Disk` when its
/// first 12 characters are "KV20DISK.PDR".
DriverKind driverKindOf(std::string_view selectedDriverName);

/// The route for these inputs; none on an unsupported Windows.
std::optional<AccessRoute> accessRoute(OsMode osMode, bool selfDriverChosen, DriverKind driverKind);

/// The route for the program's current inputs.
std::optional<AccessRoute> currentAccessRoute(const Program& program);

}  // namespace updater
