#include "own_commands.h"

#include <algorithm>

#include "platform/sim/reader_identity.h"

namespace updater {
namespace {

using bulk_only::Cbw;

// SCSI command blocks and answers are most significant byte first, unlike
// the little-endian records of common/bytes.h.
std::uint32_t getBe16(const Cbw& cbw, std::size_t at) {
  return static_cast<std::uint32_t>(cbw.block[at] << 8 | cbw.block[at + 1]);
}

std::uint32_t getBe32(const Cbw& cbw, std::size_t at) { return getBe16(cbw, at) << 16 | getBe16(cbw, at + 2); }

void putBe32(Bytes out, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<Byte>(value >> (24 - 8 * i));
}

// Fixed-format sense data.
constexpr std::size_t kSenseSize = 18;
constexpr std::size_t kSenseKeyAt = 2;
constexpr std::size_t kSenseAdditionalLengthAt = 7;
constexpr std::size_t kSenseAscAt = 12;
constexpr std::size_t kSenseAscqAt = 13;
constexpr Byte kSenseCurrentFixed = 0x70;

ScsiOutcome requestSense(const Cbw& cbw, const Sense& last) {
  std::vector<Byte> data(kSenseSize, 0);
  putU8(data, 0, kSenseCurrentFixed);
  putU8(data, kSenseKeyAt, last.key);
  putU8(data, kSenseAdditionalLengthAt, static_cast<std::uint8_t>(kSenseSize - 8));
  putU8(data, kSenseAscAt, last.asc);
  putU8(data, kSenseAscqAt, last.ascq);
  data.resize(std::min<std::size_t>(data.size(), cbw.block[4]));
  return good(std::move(data));
}

ScsiOutcome inquiry(const Cbw& cbw, const ReaderInquiry& identity) {
  constexpr Byte kEvpd = 0x01;
  if ((cbw.block[1] & kEvpd) != 0 || cbw.block[2] != 0) return checkCondition(sense::kInvalidField);
  // 6-byte INQUIRY: a 16-bit allocation length at bytes 3..4 (SPC-3 on).
  const std::size_t wanted = getBe16(cbw, 3);
  const InquiryAnswer answer = inquiryAnswer(identity, true);
  std::vector<Byte> data(wanted, 0);
  std::copy_n(answer.begin(), std::min(wanted, answer.size()), data.begin());
  return good(std::move(data));
}

ScsiOutcome readCapacity() {
  std::vector<Byte> data(8, 0);
  putBe32(data, 0, kMediumBlocks - 1);  // the last block's address
  putBe32(data, 4, kMediumBlockSize);
  return good(std::move(data));
}

/// A header without block descriptors or pages: not write protected.
ScsiOutcome modeSense6(const Cbw& cbw) {
  std::vector<Byte> data{3, 0, 0, 0};  // mode data length counts the bytes after itself
  data.resize(std::min<std::size_t>(data.size(), cbw.block[4]));
  return good(std::move(data));
}

ScsiOutcome modeSense10(const Cbw& cbw) {
  std::vector<Byte> data{0, 6, 0, 0, 0, 0, 0, 0};
  data.resize(std::min<std::size_t>(data.size(), getBe16(cbw, 7)));
  return good(std::move(data));
}

/// READ(10) and WRITE(10): the blocks must lie on the medium.
bool onMedium(const Cbw& cbw) {
  const std::uint64_t end = std::uint64_t{getBe32(cbw, 2)} + getBe16(cbw, 7);
  return end <= kMediumBlocks;
}

ScsiOutcome read10(const Cbw& cbw) {
  if (!onMedium(cbw)) return checkCondition(sense::kLbaOutOfRange);
  return good(std::vector<Byte>(std::size_t{getBe16(cbw, 7)} * kMediumBlockSize, 0));
}

ScsiOutcome write10(const Cbw& cbw) { return onMedium(cbw) ? good() : checkCondition(sense::kLbaOutOfRange); }

}  // namespace

ScsiOutcome answerOwnCommand(const Cbw& cbw, const ReaderInquiry& identity, const Sense& lastSense) {
  switch (cbw.block[0]) {
    case 0x00:  // TEST UNIT READY
    case 0x1B:  // START STOP UNIT
    case 0x1E:  // PREVENT ALLOW MEDIUM REMOVAL
    case 0x35:  // SYNCHRONIZE CACHE(10)
      return good();
    case 0x03: return requestSense(cbw, lastSense);
    case 0x12: return inquiry(cbw, identity);
    case 0x1A: return modeSense6(cbw);
    case 0x5A: return modeSense10(cbw);
    case 0x25: return readCapacity();
    case 0x28: return read10(cbw);
    case 0x2A: return write10(cbw);
    default: return checkCondition(sense::kInvalidOpcode);
  }
}

}  // namespace updater
