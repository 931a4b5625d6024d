#pragma once

// The vendor command blocks (opcode 0x06) the simulated routes carry to a
// reader, spelled out once for all of them: the identify block and the
// loader's commands. A route that carries the block (pass-through,
// ASPI, the dynamic self driver) expects these bytes; the port and NT self
// drivers build theirs from them. Each row also gives the request name that
// failure plans and io events know the command by.
//
// The blocks are written out here rather than taken from the program's own
// builders, so that a fault in those builders shows as a violation.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>

#include "common/bytes.h"
#include "isp/vendor_command.h"

namespace updater {

enum class VendorRequest { DeviceIdentify, JumpToIsp, GetIspStatus, ProgramData, VerifyData };

struct VendorBlock {
  VendorRequest request;
  /// The request name of failure plans and io events.
  const char* name;
  /// The block; the bytes that vary hold zero.
  CommandBlock cdb;
  /// Bit i set: byte i varies and is the loader's to judge.
  std::uint16_t variableBytes;
};

namespace vendor_blocks {

/// sendIspData's bytes 2..6: the mode, the ROM select code, the length and
/// the padded block count.
inline constexpr std::uint16_t kDataVariableBytes = 0b111'1100;

inline constexpr VendorBlock kTable[] = {
    {VendorRequest::DeviceIdentify, "deviceIdentify", {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, 0},
    {VendorRequest::JumpToIsp, "jumpToIsp", {kVendorOpcode, kJumpToIspCode, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0}, 0},
    {VendorRequest::GetIspStatus, "getIspStatus", {kVendorOpcode, kGetIspStatusCode, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0},
     0},
    {VendorRequest::ProgramData, "sendIspData", {kVendorOpcode, kProgramDataCode, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kDataVariableBytes},
    {VendorRequest::VerifyData, "sendIspData", {kVendorOpcode, kVerifyDataCode, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kDataVariableBytes},
};

constexpr bool rowsInRequestOrder() {
  for (std::size_t i = 0; i < std::size(kTable); ++i) {
    if (static_cast<std::size_t>(kTable[i].request) != i) return false;
  }
  return true;
}

static_assert(rowsInRequestOrder(), "the table's rows follow the order of VendorRequest");

}  // namespace vendor_blocks

/// The row of `request`.
constexpr const VendorBlock& vendorBlock(VendorRequest request) {
  return vendor_blocks::kTable[static_cast<std::size_t>(request)];
}

/// The jump with its byte 5: 0x08 as ASPI and the dynamic self driver carry
/// it, zero (the table's row) on pass-through and the port and NT drivers.
constexpr CommandBlock jumpBlockWithByte5(Byte byte5) {
  CommandBlock cdb = vendorBlock(VendorRequest::JumpToIsp).cdb;
  cdb[5] = byte5;
  return cdb;
}

/// Which request a block is, by its first two bytes; none for a block that
/// is not in the table.
constexpr std::optional<VendorRequest> vendorRequestOf(const CommandBlock& cdb) {
  for (const auto& row : vendor_blocks::kTable) {
    if (row.cdb[0] == cdb[0] && row.cdb[1] == cdb[1]) return row.request;
  }
  return std::nullopt;
}

}  // namespace updater
