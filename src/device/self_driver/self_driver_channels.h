#pragma once

// The loader's three commands on the self-driver routes, one channel per
// route. The port and NT drivers take only a command code and build the
// command block themselves; the dynamic driver carries the block. Every
// answer area lives in the channel or the caller, and the NT record in the
// driver's own buffer, so a command allocates nothing.

#include <array>

#include "device/self_driver/self_driver.h"
#include "isp/vendor_command.h"
#include "platform/self_driver_records.h"

namespace updater {

/// SelfDriverPort: 16-byte records on 0x41, addressed to the driver's device
/// `device`; sendIspData sends exactly the command's transfer length.
class PortDriverChannel : public CommandChannel {
 public:
  explicit PortDriverChannel(Driver9x& driver) : driver_(driver) {}
  bool execute(VendorCommand& command) override;

  /// The driver's number of the device the commands go to.
  std::uint32_t device = 0;

 private:
  Driver9x& driver_;
  std::array<Byte, 1> jumpAnswer_{};
};

/// SelfDriverDynamic: 40-byte records on 0x42 that carry the command block,
/// all three addressed to the driver's device `device`; sendIspData sends
/// the padded length from the image buffer.
class DynamicDriverChannel : public CommandChannel {
 public:
  explicit DynamicDriverChannel(Driver9x& driver) : driver_(driver) {}
  bool execute(VendorCommand& command) override;

  /// The driver's number of the device the commands go to.
  std::uint32_t device = 0;

 private:
  Driver9x& driver_;
  std::array<Byte, dynamic_driver::kStatusDataLength> jumpAnswer_{};
};

/// SelfDriverNt: the 65,552-byte record on the command's control code, on the
/// Windows 2000 handle; sendIspData sends exactly the command's transfer length.
class NtDriverChannel : public CommandChannel {
 public:
  explicit NtDriverChannel(NtDriver& driver) : driver_(driver) {}
  bool execute(VendorCommand& command) override;

 private:
  NtDriver& driver_;
  std::array<Byte, 1> jumpAnswer_{};
  std::array<Byte, nt_driver::kScratchSize> scratch_{};
};

}  // namespace updater
