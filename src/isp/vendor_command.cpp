#include "isp/vendor_command.h"

namespace updater {

std::uint32_t paddedLength(std::uint32_t length) {
  const std::uint32_t low16 = length & 0xFFFF;
  std::uint32_t padded = low16 & 0xFE00;
  if ((low16 & 0x1FF) != 0) padded += 512;
  return padded;
}

CommandBlock jumpToIspBlock(Byte byte5) {
  CommandBlock cdb{};
  cdb[0] = kVendorOpcode;
  cdb[1] = kJumpToIspCode;
  cdb[4] = 0x08;
  cdb[5] = byte5;
  return cdb;
}

CommandBlock getIspStatusBlock() {
  CommandBlock cdb{};
  cdb[0] = kVendorOpcode;
  cdb[1] = kGetIspStatusCode;
  cdb[4] = 0x08;
  return cdb;
}

CommandBlock sendIspDataBlock(IspDataMode mode, Byte romSelectCode, std::uint32_t length,
                              std::uint32_t padded) {
  CommandBlock cdb{};
  cdb[0] = kVendorOpcode;
  cdb[1] = mode == IspDataMode::Program ? kProgramDataCode : kVerifyDataCode;
  cdb[send_isp_data::kMode] = static_cast<Byte>(mode);
  cdb[send_isp_data::kRomSelect] = romSelectCode;
  putU16(cdb, send_isp_data::kLength, static_cast<std::uint16_t>(length & 0xFFFF));
  cdb[send_isp_data::kPaddedBlocks] = static_cast<Byte>(padded / 512);
  return cdb;
}

}  // namespace updater
