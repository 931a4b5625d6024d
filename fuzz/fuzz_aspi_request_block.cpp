// The ASPI request blocks built from fuzzed values (aspiVendorCommand and
// AspiRequest): the block is the 256 bytes of SRB_ExecSCSICmd and zeros,
// every field reads back as the value it was built from, only the command
// block's own length of the CDB field is set, SRB_PostProc stays 0, and the
// data buffer is zeroed and at least SRB_BufLen long. Once the layer posts
// the block, the request is done, its error flag says whether SRB_Status
// was SS_COMP and the loader's status is the buffer's first byte; an
// inquiry check finds a reader exactly when the bounded comparison says so.
//
// Input: 12 bytes command block, 1 byte direction (modulo 3), 4 bytes
// transfer length (modulo 128 KiB + 1), 1 byte adapter, 1 byte target, 4
// bytes buffer address, 1 byte SRB_Status posted, 1 byte first answer
// byte, then two 24-byte identities and 24 bytes of inquiry vendor and
// product.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/aspi/aspi_request.h"
#include "fuzz_input.h"

namespace updater {
namespace {

namespace srb = aspi_srb;
using fuzz::require;

constexpr std::uint32_t kLengthRange = 0x20001;

/// The fields the builder sets, with their sizes.
struct Field {
  std::size_t offset;
  std::size_t size;
};

void checkBlock(ConstBytes block, const AspiCommand& command, AspiAddress address, DataAddress bufferAddress) {
  require(block.size() == srb::kBlockSize);
  require(getU8(block, srb::kCmd) == srb::kExecScsiCmd);
  require(getU8(block, srb::kHaId) == address.adapter);
  require(getU8(block, srb::kFlags) == command.flags);
  require(getU8(block, srb::kTarget) == address.target);
  require(getU32(block, srb::kBufLen) == command.bufLen);
  require(getU32(block, srb::kBufPointer) == bufferAddress);
  require(getU8(block, srb::kSenseLen) == srb::kSenseLength);
  require(getU8(block, srb::kCdbLen) == command.cdbLength);
  require(command.cdbLength == 12);
  require(std::equal(command.cdb.begin(), command.cdb.begin() + command.cdbLength, block.begin() + srb::kCdbByte));
  // Everything else is zero: the status, LUN, reserved bytes, SRB_PostProc,
  // the unused end of the CDB field, the sense area and the block's tail.
  const Field set[] = {{srb::kCmd, 1},     {srb::kHaId, 1},     {srb::kFlags, 1},
                       {srb::kTarget, 1},  {srb::kBufLen, 4},   {srb::kBufPointer, 4},
                       {srb::kSenseLen, 1}, {srb::kCdbLen, 1},  {srb::kCdbByte, command.cdbLength}};
  for (std::size_t i = 0; i < block.size(); ++i) {
    const bool isSet = std::any_of(std::begin(set), std::end(set),
                                   [i](const Field& f) { return i >= f.offset && i < f.offset + f.size; });
    if (!isSet) require(block[i] == 0);
  }
}

std::uint8_t expectedFlags(Direction direction) {
  return static_cast<std::uint8_t>((direction == Direction::Out ? srb::kDirOut : srb::kDirIn) | srb::kPosting);
}

// What the inquiry check must decide: equal up to and with the first zero
// byte of the wanted identity, or over all 24 bytes.
bool matchesByModel(ConstBytes got, const InquiryIdentity& wanted) {
  for (std::size_t i = 0; i < 24; ++i) {
    if (got[i] != static_cast<Byte>(wanted[i])) return false;
    if (wanted[i] == 0) return true;
  }
  return true;
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  fuzz::FuzzInput input(data, size);
  VendorCommand vendor;
  input.fill(vendor.cdb);
  vendor.direction = static_cast<Direction>(input.u8() % 3);
  vendor.transferLength = input.u32() % kLengthRange;
  const AspiAddress address{input.u8(), input.u8()};
  const DataAddress bufferAddress = input.u32();
  const std::uint8_t postedStatus = input.u8();
  const Byte answer = input.u8();
  AspiIdentities identities{};
  for (auto& identity : identities) {
    const std::vector<Byte> bytes = input.bytes(identity.size());
    std::transform(bytes.begin(), bytes.end(), identity.begin(), [](Byte b) { return static_cast<char>(b); });
  }
  const std::vector<Byte> inquiryIdentity = input.bytes(24);

  const AspiCommand command = aspiVendorCommand(vendor);
  fuzz::require(command.flags == expectedFlags(vendor.direction));
  fuzz::require(command.bufLen == (vendor.direction == Direction::None ? 0 : vendor.transferLength));
  fuzz::require(command.bufferSize >= command.bufLen);
  AspiRequest request(command, address);
  checkBlock(request.block(), command, address, 0);
  fuzz::require(request.data().size() == command.bufferSize);
  fuzz::require(std::all_of(request.data().begin(), request.data().end(), [](Byte b) { return b == 0; }));
  request.setBufferAddress(bufferAddress);
  checkBlock(request.block(), command, address, bufferAddress);

  // The layer posts the block with its status and the answer in the buffer.
  if (!request.data().empty()) request.data()[0] = answer;
  std::vector<Byte> posted(request.block().begin(), request.block().end());
  putU8(posted, srb::kStatus, postedStatus);
  fuzz::require(!request.isDone());
  request.posted(posted);
  fuzz::require(request.isDone());
  fuzz::require(request.state().error.load() == (postedStatus != srb::kComplete));
  fuzz::require(request.state().status.load() == (request.data().empty() ? 0 : answer));

  // The scan's inquiry: its identity at bytes 8..31 of the 40-byte answer.
  const AspiCommand inquiry = aspiInquiryCommand();
  AspiRequest scan(inquiry, address, identities);
  fuzz::require(scan.data().size() >= 32);
  std::copy(inquiryIdentity.begin(), inquiryIdentity.end(), scan.data().begin() + 8);
  putU8(posted, srb::kStatus, srb::kComplete);
  scan.posted(posted);
  const bool found = matchesByModel(inquiryIdentity, identities[0]) || matchesByModel(inquiryIdentity, identities[1]);
  fuzz::require(scan.state().found.load() == found);
  for (const auto& identity : identities) {
    fuzz::require(inquiryIdentityMatches(inquiryIdentity, identity) == matchesByModel(inquiryIdentity, identity));
  }
  return 0;
}
