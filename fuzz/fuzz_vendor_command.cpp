// The loader's command blocks built from fuzzed values: every block is 12
// bytes of which only the fields of its command are set, and each field
// reads back as the value it was built from (the length by its low 16
// bits). The padded length is whole 512-byte blocks, never short of the
// length's low 16 bits and never a block more than it needs.
//
// Input: 4 bytes length, 4 bytes padded length (little-endian), 1 byte
// mode (bit 0: verify), 1 byte ROM select, 1 byte jump's byte 5.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "isp/vendor_command.h"

namespace updater {
namespace {

using fuzz::require;

/// Every byte of `cdb` not in `setBytes` is 0.
void requireZerosBut(const CommandBlock& cdb, std::initializer_list<std::size_t> setBytes) {
  for (std::size_t i = 0; i < cdb.size(); ++i) {
    bool set = false;
    for (const std::size_t at : setBytes) set = set || at == i;
    if (!set) require(cdb[i] == 0);
  }
}

void checkPaddedLength(std::uint32_t length) {
  const std::uint32_t low16 = length & 0xFFFF;
  const std::uint32_t padded = paddedLength(length);
  require(padded % 512 == 0);
  require(padded >= low16);
  require(padded - low16 < 512);
  require(padded <= 0x10000);
}

void checkSendIspData(std::uint32_t length, std::uint32_t padded, IspDataMode mode, Byte romSelect) {
  namespace sid = send_isp_data;
  const CommandBlock cdb = sendIspDataBlock(mode, romSelect, length, padded);
  require(cdb[0] == kVendorOpcode);
  require(cdb[1] == (mode == IspDataMode::Program ? kProgramDataCode : kVerifyDataCode));
  require(cdb[sid::kMode] == static_cast<Byte>(mode));
  require(cdb[sid::kRomSelect] == romSelect);
  require(getU16(cdb, sid::kLength) == (length & 0xFFFF));
  require(cdb[sid::kPaddedBlocks] == static_cast<Byte>(padded / 512));
  requireZerosBut(cdb, {0, 1, sid::kMode, sid::kRomSelect, sid::kLength, sid::kLength + 1, sid::kPaddedBlocks});
}

void checkFixedBlocks(Byte byte5) {
  const CommandBlock jump = jumpToIspBlock(byte5);
  require(jump[0] == kVendorOpcode && jump[1] == kJumpToIspCode && jump[4] == 0x08 && jump[5] == byte5);
  requireZerosBut(jump, {0, 1, 4, 5});
  const CommandBlock status = getIspStatusBlock();
  require(status[0] == kVendorOpcode && status[1] == kGetIspStatusCode && status[4] == 0x08);
  requireZerosBut(status, {0, 1, 4});
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  fuzz::FuzzInput input(data, size);
  const std::uint32_t length = input.u32();
  const std::uint32_t padded = input.u32();
  const IspDataMode mode = (input.u8() & 1) != 0 ? IspDataMode::Verify : IspDataMode::Program;
  const Byte romSelect = input.u8();
  const Byte byte5 = input.u8();

  checkPaddedLength(length);
  // As the jobs build it, and with any padded length at all.
  checkSendIspData(length, paddedLength(length), mode, romSelect);
  checkSendIspData(length, padded, mode, romSelect);
  checkFixedBlocks(byte5);
  return 0;
}
