#include "cbw_pass_through.h"

#include <algorithm>

#include "isp/vendor_command.h"
#include "platform/scsi_pass_through.h"
#include "platform/sim/vendor_blocks.h"

namespace updater {
namespace {

namespace spt = scsi_pass_through;

// The values the program's core writes (device/pass_through/pass_through.cpp).
constexpr std::uint8_t kTargetId = 1;
constexpr std::uint8_t kSenseInfoLength = 24;
constexpr std::uint32_t kIdentityTimeoutSeconds = 2;
constexpr std::uint32_t kVendorTimeoutSeconds = 30;

/// The loader's status read and data blocks wait 30 s; the identity reads
/// and the jump 2 s.
std::uint32_t timeoutFor(const CommandBlock& cdb) {
  const auto request = vendorRequestOf(cdb);
  const bool slow = request == VendorRequest::GetIspStatus || request == VendorRequest::ProgramData ||
                    request == VendorRequest::VerifyData;
  return slow ? kVendorTimeoutSeconds : kIdentityTimeoutSeconds;
}

void writeHeader(Bytes buffer, const bulk_only::Cbw& cbw, const CommandBlock& cdb) {
  // A command without data keeps the core's default direction, data-in.
  const bool out = cbw.expectsOut();
  putU16(buffer, spt::kLength, static_cast<std::uint16_t>(spt::kHeaderSize));
  putU8(buffer, spt::kTargetId, kTargetId);
  putU8(buffer, spt::kCdbLength, static_cast<std::uint8_t>(kCommandBlockLength));
  putU8(buffer, spt::kSenseInfoLength, kSenseInfoLength);
  putU8(buffer, spt::kDataIn, out ? spt::kScsiIoctlDataOut : spt::kScsiIoctlDataIn);
  putU32(buffer, spt::kDataTransferLength, cbw.dataLength);
  putU32(buffer, spt::kTimeOutValue, timeoutFor(cdb));
  putU32(buffer, spt::kDataBufferOffset, static_cast<std::uint32_t>(spt::kDataArea));
  putU32(buffer, spt::kSenseInfoOffset, static_cast<std::uint32_t>(spt::kSenseArea));
  std::copy(cdb.begin(), cdb.end(), buffer.begin() + spt::kCdb);
}

}  // namespace

ConstBytes PassThroughBuffer::data() const { return ConstBytes(buffer).subspan(spt::kDataArea); }

std::optional<PassThroughBuffer> passThroughFromCbw(const bulk_only::Cbw& cbw, ConstBytes dataOut) {
  if (cbw.blockLength != kCommandBlockLength || cbw.dataLength > spt::kDataAreaSize) return std::nullopt;
  CommandBlock cdb{};
  std::copy_n(cbw.block.begin(), kCommandBlockLength, cdb.begin());

  PassThroughBuffer request;
  request.outputSize = spt::kDataArea + cbw.dataLength;
  request.inputSize = cbw.expectsOut() ? request.outputSize : spt::kHeaderSize;
  request.buffer.assign(request.outputSize, 0);
  writeHeader(request.buffer, cbw, cdb);
  if (cbw.expectsOut()) {
    const std::size_t count = std::min<std::size_t>(dataOut.size(), cbw.dataLength);
    std::copy_n(dataOut.begin(), count, request.buffer.begin() + spt::kDataArea);
  }
  return request;
}

}  // namespace updater
