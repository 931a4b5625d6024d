#include "device/aspi/aspi_request.h"

#include <algorithm>

#include "device/device_table.h"

namespace updater {
namespace {

namespace srb = aspi_srb;

constexpr std::uint8_t kDataInFlags = srb::kDirIn | srb::kPosting;    // also for no-data commands
constexpr std::uint8_t kDataOutFlags = srb::kDirOut | srb::kPosting;
constexpr std::uint8_t kShortBlock = 6;
constexpr std::uint8_t kLongBlock = static_cast<std::uint8_t>(kCommandBlockLength);
constexpr std::uint32_t kInquiryLength = 40;
/// jumpToIsp moves no data but names a buffer of this size all the same.
constexpr std::uint32_t kUnusedBufferSize = 40;

/// Inquiry bytes 8..31: vendor and product.
constexpr std::size_t kIdentityOffset = 8;
constexpr std::size_t kVendorAndProduct = 24;

}  // namespace

AspiCommand aspiInquiryCommand() {
  AspiCommand command;
  command.cdb = {0x12, 0, 0, 0, kInquiryLength, 0, 0, 0, 0, 0, 0, 0};
  command.cdbLength = kShortBlock;
  command.flags = kDataInFlags;
  command.bufLen = kInquiryLength;
  command.bufferSize = kInquiryLength;
  command.posting = AspiPostingKind::InquiryCheck;
  return command;
}

AspiCommand aspiIdentifyCommand() {
  AspiCommand command;
  command.cdb = {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
  command.cdbLength = kLongBlock;
  command.flags = kDataInFlags;
  command.bufLen = static_cast<std::uint32_t>(kIdentifyLength);
  command.bufferSize = command.bufLen;
  command.posting = AspiPostingKind::IdentifyCopy;
  return command;
}

AspiCommand aspiVendorCommand(const VendorCommand& vendor) {
  AspiCommand command;
  command.cdb = vendor.cdb;
  command.cdbLength = kLongBlock;
  command.posting = AspiPostingKind::VendorCompletion;
  switch (vendor.direction) {
    case Direction::None:
      command.flags = kDataInFlags;
      command.bufferSize = kUnusedBufferSize;
      break;
    case Direction::In:
      command.flags = kDataInFlags;
      command.bufLen = vendor.transferLength;
      command.bufferSize = vendor.transferLength;
      break;
    case Direction::Out:
      command.flags = kDataOutFlags;
      command.bufLen = vendor.transferLength;
      command.bufferSize = vendor.transferLength;
      break;
  }
  return command;
}

bool inquiryIdentityMatches(ConstBytes vendorAndProduct, const InquiryIdentity& identity) {
  for (std::size_t i = 0; i < kVendorAndProduct; ++i) {
    const Byte wanted = static_cast<Byte>(identity[i]);
    if (vendorAndProduct[i] != wanted) return false;
    if (wanted == 0) return true;
  }
  return true;
}

AspiRequest::AspiRequest(const AspiCommand& command, AspiAddress address, const AspiIdentities& identities)
    : data_(command.bufferSize, 0), posting_(command.posting), identities_(identities) {
  const Bytes block(block_);
  putU8(block, srb::kCmd, srb::kExecScsiCmd);
  putU8(block, srb::kHaId, address.adapter);
  putU8(block, srb::kFlags, command.flags);
  putU8(block, srb::kTarget, address.target);
  putU8(block, srb::kLun, 0);
  putU32(block, srb::kBufLen, command.bufLen);
  putU8(block, srb::kSenseLen, srb::kSenseLength);
  putU8(block, srb::kCdbLen, command.cdbLength);
  std::copy_n(command.cdb.begin(), command.cdbLength, block.begin() + srb::kCdbByte);
  // SRB_PostProc stays 0: the port puts its own routine there.
}

void AspiRequest::setBufferAddress(DataAddress address) { putU32(block_, srb::kBufPointer, address); }

const AspiRequest::PostingRoutine AspiRequest::kPostingRoutines[] = {
    &AspiRequest::checkInquiry,   // InquiryCheck
    &AspiRequest::keepIdentify,   // IdentifyCopy
    &AspiRequest::keepIspStatus,  // VendorCompletion
};

void AspiRequest::posted(Bytes requestBlock) {
  const bool completed = getU8(requestBlock, srb::kStatus) == srb::kComplete;
  state_.error.store(!completed, std::memory_order_relaxed);
  kPostingRoutines[static_cast<std::size_t>(posting_)](*this, requestBlock);
  // Last: once the sender sees this, the layer is done with the request.
  state_.done.store(true, std::memory_order_release);
}

void AspiRequest::checkInquiry(AspiRequest& request, ConstBytes block) {
  if (getU8(block, srb::kStatus) != srb::kComplete) return;
  const ConstBytes identity = ConstBytes(request.data_).subspan(kIdentityOffset, kVendorAndProduct);
  const bool matches = std::any_of(request.identities_.begin(), request.identities_.end(),
                                   [identity](const InquiryIdentity& wanted) {
                                     return inquiryIdentityMatches(identity, wanted);
                                   });
  if (!matches) return;
  request.state_.foundAdapter.store(getU8(block, srb::kHaId), std::memory_order_relaxed);
  request.state_.foundTarget.store(getU8(block, srb::kTarget), std::memory_order_relaxed);
  request.state_.found.store(true, std::memory_order_relaxed);
}

// The identify block stays in the request's buffer; the sender copies it
// once it sees `done`, so nothing shared is written on the layer's thread.
void AspiRequest::keepIdentify(AspiRequest&, ConstBytes) {}

// The answer byte counts whatever SRB_Status says.
void AspiRequest::keepIspStatus(AspiRequest& request, ConstBytes) {
  const Byte status = request.data_.empty() ? Byte{0} : request.data_[0];
  request.state_.status.store(status, std::memory_order_relaxed);
}

}  // namespace updater
