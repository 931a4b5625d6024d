#pragma once

// The loader's three commands on the self-driver routes, one channel per
// route. The port and NT drivers take only a command code and build the
// command block themselves; the dynamic driver carries the block. Every
// answer area lives in the channel or the caller, and the NT record in the
// program-wide buffer, so a command allocates nothing.

#include <array>

#include "isp/vendor_command.h"
#include "platform/self_driver_records.h"

namespace updater {

struct Program;

/// SelfDriverPort: 16-byte records on 0x41, addressed to `selectedIndex`;
/// sendIspData sends exactly the command's transfer length.
class PortDriverChannel : public CommandChannel {
 public:
  explicit PortDriverChannel(Program& program) : program_(program) {}
  bool execute(VendorCommand& command) override;

 private:
  Program& program_;
  std::array<Byte, 1> jumpAnswer_{};
};

/// SelfDriverDynamic: 40-byte records on 0x42 that carry the command block,
/// all three addressed to `selectedIndex`; sendIspData sends the padded
/// length from the image buffer.
class DynamicDriverChannel : public CommandChannel {
 public:
  explicit DynamicDriverChannel(Program& program) : program_(program) {}
  bool execute(VendorCommand& command) override;

 private:
  Program& program_;
  std::array<Byte, dynamic_driver::kStatusDataLength> jumpAnswer_{};
};

/// SelfDriverNt: the 65,552-byte record on the command's control code, on the
/// Windows 2000 handle; sendIspData sends exactly the command's transfer length.
class NtDriverChannel : public CommandChannel {
 public:
  explicit NtDriverChannel(Program& program) : program_(program) {}
  bool execute(VendorCommand& command) override;

 private:
  Program& program_;
  std::array<Byte, 1> jumpAnswer_{};
  std::array<Byte, nt_driver::kScratchSize> scratch_{};
};

}  // namespace updater
