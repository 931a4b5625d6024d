#include "virtual_reader/bulk_only_wrappers.h"

namespace updater::bulk_only {
namespace {

constexpr Byte kDataInFlag = 0x80;
constexpr Byte kLunMask = 0x0F;
constexpr Byte kBlockLengthMask = 0x1F;

}  // namespace

std::optional<CommandWrapper> parseCommandWrapper(ConstBytes packet, Byte maxLun) {
  using namespace command_offset;
  if (packet.size() != kCommandWrapperSize || getU32(packet, kSignature) != kCommandSignature) return std::nullopt;
  const Byte flags = getU8(packet, kFlags);
  const Byte lun = getU8(packet, kLun);
  const Byte blockLength = getU8(packet, kBlockLength);
  const bool reservedBitsClear =
      (flags & ~kDataInFlag) == 0 && (lun & ~kLunMask) == 0 && (blockLength & ~kBlockLengthMask) == 0;
  if (!reservedBitsClear || lun > maxLun || blockLength == 0 || blockLength > kCommandBlockField) {
    return std::nullopt;
  }
  CommandWrapper wrapper;
  wrapper.tag = getU32(packet, kTag);
  wrapper.dataLength = getU32(packet, kDataTransferLength);
  wrapper.dataIn = (flags & kDataInFlag) != 0;
  wrapper.lun = lun;
  for (std::size_t i = 0; i < blockLength; ++i) wrapper.block[i] = packet[kBlock + i];
  return wrapper;
}

StatusWrapper statusWrapper(std::uint32_t tag, std::uint32_t residue, CommandStatus status) {
  using namespace status_offset;
  StatusWrapper wrapper{};
  putU32(wrapper, kSignature, kStatusSignature);
  putU32(wrapper, kTag, tag);
  putU32(wrapper, kDataResidue, residue);
  putU8(wrapper, kStatus, static_cast<Byte>(status));
  return wrapper;
}

}  // namespace updater::bulk_only
