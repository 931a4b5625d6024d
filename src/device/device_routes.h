#pragma once

// The route-specific halves of the three route-level operations: one
// enumerator per route, the self-driver opens and the handle closes. The
// route-level operations (device/route_operations.h) pick one of these from
// the current route; the routes implement them.
//
// Enumerators fill the device table (already cleared) and return 0 when the
// enumeration ran (on PassThrough, SelfDriverNt and Aspi: and found at least
// one reader), 1 or 2 when no reader was found or the driver or ASPI layer
// failed. Opens return 0 when the self driver is open (or, on SelfDriverNt,
// could be opened), 1 otherwise.

namespace updater {

struct Program;

class DeviceRoutes {
 public:
  virtual ~DeviceRoutes() = default;

  /// SelfDriverDynamic: the registry-based enumeration under "KV20SYSD".
  virtual int enumerateDynamicSelfDriver(Program& program) = 0;
  /// SelfDriverPort: the registry-based enumeration under "KVSYSDRV".
  virtual int enumeratePortSelfDriver(Program& program) = 0;
  /// Aspi: the host adapter scan.
  virtual int enumerateAspi(Program& program) = 0;
  /// SelfDriverNt: the drive-letter scan accepting the self driver's fixed
  /// inquiry identity.
  virtual int enumerateSelfDriverNt(Program& program) = 0;
  /// PassThrough: the drive-letter scan accepting the FaInquiry or FbInquiry
  /// identity.
  virtual int enumeratePassThrough(Program& program) = 0;

  /// SelfDriverDynamic: opens the driver with delete-on-close and keeps the
  /// handle.
  virtual int openDynamicSelfDriver(Program& program) = 0;
  /// SelfDriverPort: opens the driver plainly and keeps the handle.
  virtual int openPortSelfDriver(Program& program) = 0;
  /// SelfDriverNt: opens the driver and closes it again at once, to prove it
  /// is installed.
  virtual int probeNtSelfDriver(Program& program) = 0;

  /// Closes the Windows 98/ME self-driver handle (SelfDriverPort,
  /// SelfDriverDynamic).
  virtual void closeSelfDriver9x(Program& program) = 0;
  /// Closes the pass-through drive handle (PassThrough, SelfDriverNt).
  virtual void closePassThroughDrive(Program& program) = 0;
};

}  // namespace updater
