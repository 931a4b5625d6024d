#pragma once

// The drive-letter pass-through route: SCSI command blocks sent with
// IOCTL_SCSI_PASS_THROUGH on the handle of a reader's drive letter, through
// one program-wide request buffer. It finds readers on PassThrough and, for
// the scan only, on SelfDriverNt, and carries the loader's commands on
// PassThrough.

#include <cstdint>
#include <vector>

#include "common/bytes.h"
#include "device/access_route.h"
#include "isp/vendor_command.h"
#include "platform/port_owned.h"
#include "platform/scsi_pass_through.h"

namespace updater {

struct Program;

/// The route's program-wide state: the request buffer (header, sense area,
/// 64 KiB data area), allocated once, and the drive handle, open on at most
/// one drive at a time.
struct PassThroughState {
  std::vector<Byte> buffer = std::vector<Byte>(scsi_pass_through::kBufferSize, 0);
  UniqueHandle drive;
};

/// One command as the route sends it.
struct ScsiPassThroughRequest {
  CommandBlock cdb{};
  std::uint8_t dataIn = scsi_pass_through::kScsiIoctlDataIn;
  std::uint32_t dataLength = 0;    // DataTransferLength
  std::uint32_t timeoutSeconds = 2;
  std::uint32_t inputSize = scsi_pass_through::kHeaderSize;
  std::uint32_t outputSize = 0;    // 80 + data length unless the command says otherwise
  bool needsGoodStatus = false;    // vendor commands also require ScsiStatus 0
};

/// Clears the whole request buffer, builds the header and command block, and
/// for data-out copies `dataOut` into the data area (the rest stays zero).
/// Sends it on the open drive handle. On success and data-in, copies the
/// first bytes of the data area into `dataIn` (at most `dataLength`); on
/// failure `dataIn` is left untouched.
bool sendPassThrough(Program& program, const ScsiPassThroughRequest& request, ConstBytes dataOut, Bytes dataIn);

/// Standard INQUIRY of logical unit `unit`: 36 bytes into `buffer`.
bool inquiry(Program& program, std::uint8_t unit, Bytes buffer);
/// The driver-level identify, variant 0x13 or 0x03: 512 bytes into `buffer`.
bool driverIdentify(Program& program, std::uint8_t variant, Bytes buffer);
/// The controller's identify block: 528 bytes into `buffer`.
bool deviceIdentify(Program& program, Bytes buffer);

/// Examines every existing drive letter from C to Z and records the readers
/// it finds in the device table (PassThrough: the DEVICE.TXT inquiry
/// identities; SelfDriverNt: the self driver's fixed identity). Returns 0
/// when at least one reader was recorded, 1 otherwise. No drive stays open.
int scanDrives(Program& program, AccessRoute route);

/// Opens the first drive letter of the selected entry as the route's handle:
/// 0 when open, 1 when the slot is empty or the open failed.
int openSelectedDrive(Program& program);

/// Closes the drive handle, if one is open, and forgets it.
void closeDrive(Program& program);

/// The loader's commands over the open drive handle.
class PassThroughChannel : public CommandChannel {
 public:
  explicit PassThroughChannel(Program& program) : program_(program) {}
  bool execute(VendorCommand& command) override;

 private:
  Program& program_;
};

}  // namespace updater
