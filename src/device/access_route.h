#pragma once

// The names of the access routes, the ways vendor commands travel to a
// reader, and of the kinds of self driver. Which route the Windows family
// and the operator's choices select is the registry's
// (device/route_registry.h); each route is a class of its own
// (device/route.h).

#include <cstdint>
#include <string_view>


namespace updater {

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

}  // namespace updater
