#pragma once

// The three vendor commands of the controller's ISP loader, as 12-byte
// command blocks over an abstract channel. Each access route supplies one
// CommandChannel that turns a VendorCommand into its carrier and back.

#include <array>
#include <cstdint>

#include "common/bytes.h"

namespace updater {

enum class Direction { None, In, Out };

inline constexpr std::size_t kCommandBlockLength = 12;
using CommandBlock = std::array<Byte, kCommandBlockLength>;

/// One command to the loader. For direction Out, `data` holds the bytes to
/// send and `transferLength` the length of the data phase; data-phase bytes
/// beyond `data.size()` are zeros (the route supplies them). For direction
/// In, `data` receives the answer.
struct VendorCommand {
  CommandBlock cdb{};
  Direction direction = Direction::None;
  std::uint32_t transferLength = 0;
  Bytes data;
};

/// The loader's one-byte answer to getIspStatus.
enum IspStatus : std::uint8_t {
  IspReady = 0x9C,
  IspWriteOk = 0xA5,
  IspVerifyOk = 0x5A,
  IspVerifyError = 0x33,
};

enum class IspDataMode : std::uint8_t { Program = 0, Verify = 1 };

/// Sends one command over the current route to the selected device. Returns
/// true when the command completed by the route's rule; for direction In it
/// fills `data` (also on some failures: callers read the status byte anyway).
/// It never opens, closes or shows anything.
class CommandChannel {
 public:
  virtual ~CommandChannel() = default;
  virtual bool execute(VendorCommand& command) = 0;
};

/// Vendor opcode group of every loader command (byte 0).
inline constexpr Byte kVendorOpcode = 0x06;
inline constexpr Byte kJumpToIspCode = 0xBF;
inline constexpr Byte kGetIspStatusCode = 0xB0;
inline constexpr Byte kProgramDataCode = 0xB1;
inline constexpr Byte kVerifyDataCode = 0xB2;

/// Command-block byte offsets of sendIspData.
namespace send_isp_data {
inline constexpr std::size_t kMode = 2;
inline constexpr std::size_t kRomSelect = 3;
inline constexpr std::size_t kLength = 4;        // low 16 bits, low byte first
inline constexpr std::size_t kPaddedBlocks = 6;  // paddedLength / 512
}  // namespace send_isp_data

/// `length` rounded up to whole 512-byte blocks, from its low 16 bits only;
/// 65,535 gives 65,536 and 65,536 gives 0.
std::uint32_t paddedLength(std::uint32_t length);

/// jumpToIsp: byte 5 is 0x00 on the pass-through route, 0x08 on Aspi and the
/// dynamic self driver.
CommandBlock jumpToIspBlock(Byte byte5);
CommandBlock getIspStatusBlock();
CommandBlock sendIspDataBlock(IspDataMode mode, Byte romSelectCode, std::uint32_t length,
                              std::uint32_t padded);

}  // namespace updater
