#pragma once

// The drive-letter carrier: SCSI command blocks sent with
// IOCTL_SCSI_PASS_THROUGH on the handle of a reader's drive letter, through
// one request buffer. The pass-through route finds readers and carries the
// loader's commands with it; the NT self driver's route scans with it.

#include <cstdint>
#include <vector>

#include "common/bytes.h"
#include "device/device_table.h"
#include "device/inquiry_identity.h"
#include "isp/vendor_command.h"
#include "platform/port_owned.h"
#include "platform/scsi_pass_through.h"

namespace updater {

/// The first command-block bytes of the identity requests the drive carrier
/// sends: INQUIRY, the driver-level identify (then its variant, 0x13 or
/// 0x03) and, after the vendor opcode, the controller's identify.
inline constexpr Byte kInquiryOpcode = 0x12;
inline constexpr Byte kDriverIdentifyOpcode = 0xFF;
inline constexpr Byte kDeviceIdentifyCode = 0x05;

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

/// The request buffer (header, sense area, 64 KiB data area), allocated
/// once, and the drive handle, open on at most one drive at a time.
class PassThroughDrive {
 public:
  explicit PassThroughDrive(Port& port) : port_(port) {}

  Port& port() { return port_; }

  /// Clears the whole request buffer, builds the header and command block,
  /// and for data-out copies `dataOut` into the data area (the rest stays
  /// zero). Sends it on the open drive handle. On success and data-in,
  /// copies the first bytes of the data area into `dataIn` (at most
  /// `dataLength`); on failure `dataIn` is left untouched.
  bool send(const ScsiPassThroughRequest& request, ConstBytes dataOut, Bytes dataIn);

  /// Standard INQUIRY of logical unit `unit`: 36 bytes into `buffer`.
  bool inquiry(std::uint8_t unit, Bytes buffer);
  /// The driver-level identify, variant 0x13 or 0x03: 512 bytes into `buffer`.
  bool driverIdentify(std::uint8_t variant, Bytes buffer);
  /// The controller's identify block: 528 bytes into `buffer`.
  bool deviceIdentify(Bytes buffer);

  /// Opens drive `letter` as the handle, closing an open one first. True
  /// when open.
  bool open(char letter);
  /// Closes the drive handle, if one is open, and forgets it.
  void close() { drive_.reset(); }
  bool isOpen() const { return drive_.isOpen(); }

 private:
  Port& port_;
  std::vector<Byte> buffer_ = std::vector<Byte>(scsi_pass_through::kBufferSize, 0);
  UniqueHandle drive_;
};

/// Which readers a drive scan accepts.
enum class DriveScanIdentity {
  Accepted,       // either of the accepted identities (PassThrough)
  SelfDriverNt,   // the NT self driver's fixed identity (SelfDriverNt)
};

/// Examines every existing drive letter from C to Z and records the readers
/// it finds in `table`. Returns kEnumerated when at least one reader was
/// recorded, 1 otherwise. No drive stays open.
int scanDrives(PassThroughDrive& drive, DeviceTable& table, DriveScanIdentity identity,
               const AcceptedIdentities& accepted);

/// Opens the first drive letter of the table's selected entry: 0 when open,
/// 1 when the slot is empty or the open failed.
int openSelectedDrive(PassThroughDrive& drive, const DeviceTable& table);

/// The loader's commands over the open drive handle.
class PassThroughChannel : public CommandChannel {
 public:
  explicit PassThroughChannel(PassThroughDrive& drive) : drive_(drive) {}
  bool execute(VendorCommand& command) override;

 private:
  PassThroughDrive& drive_;
};

}  // namespace updater
