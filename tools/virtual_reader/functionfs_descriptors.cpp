#include "virtual_reader/functionfs_descriptors.h"

#include <string_view>

namespace updater::functionfs {
namespace {

// Descriptors block header.
constexpr std::size_t kMagic = 0;        // u32
constexpr std::size_t kLength = 4;       // u32, the whole block
constexpr std::size_t kFlags = 8;        // u32
constexpr std::size_t kFullSpeedCount = 12;  // u32
constexpr std::size_t kHighSpeedCount = 16;  // u32
constexpr std::size_t kDescriptorsHeader = 20;

// Strings block header.
constexpr std::size_t kStringCount = 8;    // u32
constexpr std::size_t kLanguageCount = 12;  // u32
constexpr std::size_t kStringsHeader = 16;

constexpr std::size_t kInterfaceSize = 9;
constexpr std::size_t kEndpointSize = 7;
constexpr Byte kInterfaceType = 4;
constexpr Byte kEndpointType = 5;
constexpr Byte kBulk = 2;
constexpr std::uint32_t kDescriptorsPerSpeed = 3;

void appendInterface(std::vector<Byte>& out) {
  const Byte interface[kInterfaceSize] = {
      kInterfaceSize, kInterfaceType,
      0,  // bInterfaceNumber: the function's own, the gadget renumbers it
      0,  // bAlternateSetting
      2,  // bNumEndpoints
      kMassStorageClass, kScsiTransparentSubclass, kBulkOnlyProtocol,
      1,  // iInterface: the first string of the strings block
  };
  out.insert(out.end(), interface, interface + kInterfaceSize);
}

void appendEndpoint(std::vector<Byte>& out, Byte address, std::uint16_t maxPacket) {
  const std::size_t at = out.size();
  out.resize(at + kEndpointSize, 0);
  const Bytes endpoint(out.data() + at, kEndpointSize);
  putU8(endpoint, 0, kEndpointSize);
  putU8(endpoint, 1, kEndpointType);
  putU8(endpoint, 2, address);
  putU8(endpoint, 3, kBulk);
  putU16(endpoint, 4, maxPacket);
  putU8(endpoint, 6, 0);  // bInterval: bulk endpoints never NAK-limit
}

void appendSpeed(std::vector<Byte>& out, std::uint16_t maxPacket) {
  appendInterface(out);
  appendEndpoint(out, kBulkInAddress, maxPacket);
  appendEndpoint(out, kBulkOutAddress, maxPacket);
}

}  // namespace

std::vector<Byte> descriptorsBlock() {
  std::vector<Byte> block(kDescriptorsHeader, 0);
  appendSpeed(block, kFullSpeedPacket);
  appendSpeed(block, kHighSpeedPacket);
  putU32(block, kMagic, kDescriptorsMagicV2);
  putU32(block, kLength, static_cast<std::uint32_t>(block.size()));
  putU32(block, kFlags, kHasFullSpeed | kHasHighSpeed);
  putU32(block, kFullSpeedCount, kDescriptorsPerSpeed);
  putU32(block, kHighSpeedCount, kDescriptorsPerSpeed);
  return block;
}

std::vector<Byte> stringsBlock() {
  std::vector<Byte> block(kStringsHeader + 2, 0);
  putU16(block, kStringsHeader, kEnglishUs);
  for (const char c : std::string_view(kInterfaceName)) block.push_back(static_cast<Byte>(c));
  block.push_back(0);
  putU32(block, kMagic, kStringsMagic);
  putU32(block, kLength, static_cast<std::uint32_t>(block.size()));
  putU32(block, kStringCount, 1);
  putU32(block, kLanguageCount, 1);
  return block;
}

}  // namespace updater::functionfs
