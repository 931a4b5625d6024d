#include "ffs_descriptors.h"

#include <linux/usb/functionfs.h>

#include <string_view>

namespace updater {
namespace {

// Interface and endpoint descriptors (USB 2.0 chapter 9 layouts).
constexpr std::size_t kInterfaceSize = 9;
constexpr std::size_t kEndpointSize = 7;
constexpr Byte kInterfaceType = 4;
constexpr Byte kEndpointType = 5;
constexpr Byte kBulk = 2;
constexpr Byte kIn = 0x80;

void appendInterface(std::vector<Byte>& out) {
  const std::size_t at = out.size();
  out.resize(at + kInterfaceSize, 0);
  const Bytes d = Bytes(out).subspan(at);
  putU8(d, 0, kInterfaceSize);
  putU8(d, 1, kInterfaceType);
  putU8(d, 4, 2);     // bNumEndpoints
  putU8(d, 5, 0x08);  // mass storage
  putU8(d, 6, 0x06);  // SCSI transparent command set
  putU8(d, 7, 0x50);  // Bulk-Only Transport
  putU8(d, 8, 1);     // iInterface: the one string
}

void appendEndpoint(std::vector<Byte>& out, Byte address, std::uint16_t maxPacket) {
  const std::size_t at = out.size();
  out.resize(at + kEndpointSize, 0);
  const Bytes d = Bytes(out).subspan(at);
  putU8(d, 0, kEndpointSize);
  putU8(d, 1, kEndpointType);
  putU8(d, 2, address);
  putU8(d, 3, kBulk);
  putU16(d, 4, maxPacket);
}

void appendSpeed(std::vector<Byte>& out, std::uint16_t maxPacket) {
  appendInterface(out);
  appendEndpoint(out, kIn | 1, maxPacket);
  appendEndpoint(out, 2, maxPacket);
}

}  // namespace

std::vector<Byte> functionFsDescriptors() {
  // Header: magic, length, flags, then the full- and high-speed counts.
  constexpr std::size_t kHeaderSize = 20;
  std::vector<Byte> out(kHeaderSize, 0);
  appendSpeed(out, 64);
  appendSpeed(out, 512);
  putU32(out, 0, FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
  putU32(out, 4, static_cast<std::uint32_t>(out.size()));
  putU32(out, 8, FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
  putU32(out, 12, 3);  // descriptors per speed
  putU32(out, 16, 3);
  return out;
}

std::vector<Byte> functionFsStrings() {
  constexpr std::string_view kName = "Virtual Reader";
  constexpr std::size_t kHeaderSize = 16;
  std::vector<Byte> out(kHeaderSize + 2, 0);
  putU32(out, 4, 0);
  putU32(out, 8, 1);   // str_count
  putU32(out, 12, 1);  // lang_count
  putU16(out, 16, 0x0409);
  for (const char c : kName) out.push_back(static_cast<Byte>(c));
  out.push_back(0);
  putU32(out, 0, FUNCTIONFS_STRINGS_MAGIC);
  putU32(out, 4, static_cast<std::uint32_t>(out.size()));
  return out;
}

}  // namespace updater
