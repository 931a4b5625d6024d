#include "bulk_only.h"

namespace updater::bulk_only {

std::optional<Cbw> parseCbw(ConstBytes bytes, int units) {
  if (bytes.size() != kCbwSize || getU32(bytes, kCbwSignatureAt) != kCbwSignature) return std::nullopt;
  Cbw cbw;
  cbw.tag = getU32(bytes, kCbwTagAt);
  cbw.dataLength = getU32(bytes, kCbwDataLengthAt);
  cbw.dataIn = (getU8(bytes, kCbwFlagsAt) & kFlagDataIn) != 0;
  // Only the low four bits carry the unit; the rest are reserved.
  cbw.lun = getU8(bytes, kCbwLunAt) & 0x0F;
  cbw.blockLength = getU8(bytes, kCbwBlockLengthAt) & 0x1F;
  if (cbw.blockLength == 0 || cbw.blockLength > kCbwBlockFieldSize || cbw.lun >= units) return std::nullopt;
  for (std::size_t i = 0; i < kCbwBlockFieldSize; ++i) cbw.block[i] = getU8(bytes, kCbwBlockAt + i);
  return cbw;
}

Csw makeCsw(std::uint32_t tag, std::uint32_t residue, Status status) {
  Csw csw{};
  putU32(csw, kCswSignatureAt, kCswSignature);
  putU32(csw, kCswTagAt, tag);
  putU32(csw, kCswResidueAt, residue);
  putU8(csw, kCswStatusAt, static_cast<std::uint8_t>(status));
  return csw;
}

}  // namespace updater::bulk_only
