#include "virtual_reader/disk_unit.h"

#include <algorithm>

#include "platform/sim/reader_identity.h"
#include "virtual_reader/scsi_fields.h"

namespace updater {
namespace {

namespace opcode {
constexpr Byte kTestUnitReady = 0x00;
constexpr Byte kRequestSense = 0x03;
constexpr Byte kInquiry = 0x12;
constexpr Byte kModeSense6 = 0x1A;
constexpr Byte kStartStopUnit = 0x1B;
constexpr Byte kPreventAllowRemoval = 0x1E;
constexpr Byte kReadCapacity10 = 0x25;
constexpr Byte kRead10 = 0x28;
constexpr Byte kWrite10 = 0x2A;
constexpr Byte kSynchronizeCache10 = 0x35;
constexpr Byte kModeSense10 = 0x5A;
}  // namespace opcode

// Command block fields.
constexpr std::size_t kOpcode = 0;
constexpr std::size_t kInquiryFlags = 1;       // bit 0 EVPD, bit 1 CmdDt
constexpr std::size_t kInquiryPage = 2;
constexpr std::size_t kInquiryLength = 3;      // u16
constexpr std::size_t kShortLength = 4;        // u8: REQUEST SENSE, MODE SENSE(6)
constexpr std::size_t kModePage = 2;           // low 6 bits; page control above
constexpr std::size_t kModeSense10Length = 7;  // u16
constexpr std::size_t kTransferAddress = 2;    // u32: READ(10), WRITE(10)
constexpr std::size_t kTransferBlocks = 7;     // u16
constexpr Byte kInquiryPageFlags = 0x03;
constexpr Byte kPageCodeMask = 0x3F;

// Mode pages: the caching page alone (write cache off), also as "all pages".
constexpr Byte kCachingPage = 0x08;
constexpr Byte kAllPages = 0x3F;
constexpr std::size_t kCachingPageSize = 20;
constexpr std::size_t kModeHeader6 = 4;
constexpr std::size_t kModeHeader10 = 8;

// READ CAPACITY(10) data.
constexpr std::size_t kCapacitySize = 8;
constexpr std::size_t kLastBlock = 0;   // u32
constexpr std::size_t kBlockLength = 4;  // u32

std::uint32_t upTo(std::uint32_t allocation, std::size_t available) {
  return static_cast<std::uint32_t>(std::min<std::size_t>(allocation, available));
}

DeviceIntent intentIn(std::uint32_t length) { return {length == 0 ? DataDirection::None : DataDirection::In, length}; }

}  // namespace

DiskUnit::DiskUnit(ReaderInquiry identity, std::uint32_t blocks)
    : identity_(std::move(identity)), blocks_(blocks), medium_(std::size_t{blocks} * kUnitBlockSize, 0) {}

DeviceIntent DiskUnit::intent(const CommandBlockField& block) const { return plan(block).intent; }

DiskUnit::Plan DiskUnit::plan(const CommandBlockField& block) const {
  const auto refuse = [](const Sense& why) { return Plan{{}, true, why}; };
  const auto accept = [](DeviceIntent intent) { return Plan{intent, false, {}}; };
  switch (block[kOpcode]) {
    case opcode::kTestUnitReady:
    case opcode::kStartStopUnit:
    case opcode::kPreventAllowRemoval:
    case opcode::kSynchronizeCache10:
      return accept({});
    case opcode::kRequestSense:
      return accept(intentIn(upTo(block[kShortLength], kFixedSenseSize)));
    case opcode::kInquiry:
      // Vital product data pages: none.
      if ((block[kInquiryFlags] & kInquiryPageFlags) != 0 || block[kInquiryPage] != 0) {
        return refuse(sense::kInvalidFieldInCdb);
      }
      return accept(intentIn(upTo(getU16Msb(block, kInquiryLength), kInquiryAnswerSize)));
    case opcode::kModeSense6:
    case opcode::kModeSense10: {
      const bool ten = block[kOpcode] == opcode::kModeSense10;
      const std::size_t available = modePages(block, ten).size();
      if (available == 0) return refuse(sense::kInvalidFieldInCdb);
      const std::uint32_t allocation = ten ? getU16Msb(block, kModeSense10Length) : block[kShortLength];
      return accept(intentIn(upTo(allocation, available)));
    }
    case opcode::kReadCapacity10:
      return accept(intentIn(kCapacitySize));
    case opcode::kRead10:
      return planTransfer(block, DataDirection::In);
    case opcode::kWrite10:
      return planTransfer(block, DataDirection::Out);
    default:
      return refuse(sense::kInvalidOperationCode);
  }
}

DiskUnit::Plan DiskUnit::planTransfer(const CommandBlockField& block, DataDirection direction) const {
  const std::uint64_t first = getU32Msb(block, kTransferAddress);
  const std::uint32_t count = getU16Msb(block, kTransferBlocks);
  if (first + count > blocks_) return Plan{{}, true, sense::kLbaOutOfRange};
  if (count == 0) return Plan{{}, false, {}};
  return Plan{{direction, count * kUnitBlockSize}, false, {}};
}

std::vector<Byte> DiskUnit::modePages(const CommandBlockField& block, bool tenByteHeader) const {
  const Byte page = block[kModePage] & kPageCodeMask;
  if (page != kCachingPage && page != kAllPages) return {};
  const std::size_t header = tenByteHeader ? kModeHeader10 : kModeHeader6;
  std::vector<Byte> data(header + kCachingPageSize, 0);
  // The header's medium type, write protection and block descriptor length
  // are all zero: a writable medium, no block descriptor.
  if (tenByteHeader) {
    putU16Msb(data, 0, static_cast<std::uint16_t>(data.size() - 2));
  } else {
    putU8(data, 0, static_cast<Byte>(data.size() - 1));
  }
  putU8(data, header, kCachingPage);
  putU8(data, header + 1, static_cast<Byte>(kCachingPageSize - 2));
  return data;
}

std::vector<Byte> DiskUnit::dataIn(const CommandBlockField& block, std::uint32_t length) {
  std::vector<Byte> data;
  switch (block[kOpcode]) {
    case opcode::kRequestSense: {
      const FixedSense fixed = fixedSense(sense_);
      data.assign(fixed.begin(), fixed.end());
      sense_ = sense::kNone;
      break;
    }
    case opcode::kInquiry: {
      const InquiryAnswer answer = inquiryAnswer(identity_, true);
      data.assign(answer.begin(), answer.end());
      break;
    }
    case opcode::kModeSense6:
    case opcode::kModeSense10:
      data = modePages(block, block[kOpcode] == opcode::kModeSense10);
      break;
    case opcode::kReadCapacity10:
      data.assign(kCapacitySize, 0);
      putU32Msb(data, kLastBlock, blocks_ - 1);
      putU32Msb(data, kBlockLength, kUnitBlockSize);
      break;
    case opcode::kRead10: {
      const std::size_t first = std::size_t{getU32Msb(block, kTransferAddress)} * kUnitBlockSize;
      const auto start = medium_.begin() + static_cast<std::ptrdiff_t>(first);
      data.assign(start, start + static_cast<std::ptrdiff_t>(length));
      break;
    }
    default:
      break;
  }
  data.resize(std::min<std::size_t>(data.size(), length));
  return data;
}

CommandReply DiskUnit::run(const CommandBlockField& block, ConstBytes dataOut) {
  const Plan planned = plan(block);
  // Every command but REQUEST SENSE replaces the sense; REQUEST SENSE reads
  // it and clears it.
  if (block[kOpcode] != opcode::kRequestSense) sense_ = planned.refused ? planned.refusal : sense::kNone;
  if (planned.refused) return checkConditionReply(planned.refusal);
  if (block[kOpcode] == opcode::kWrite10) {
    const std::size_t first = std::size_t{getU32Msb(block, kTransferAddress)} * kUnitBlockSize;
    const std::size_t count = std::min<std::size_t>(dataOut.size(), planned.intent.length);
    std::copy_n(dataOut.begin(), count, medium_.begin() + static_cast<std::ptrdiff_t>(first));
    return goodReply();
  }
  return goodReply(dataIn(block, planned.intent.length));
}

}  // namespace updater
