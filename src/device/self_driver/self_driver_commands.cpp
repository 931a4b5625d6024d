#include "device/self_driver/self_driver_commands.h"

#include "device/self_driver/self_driver_request.h"

namespace updater {
namespace {

constexpr std::size_t kCountAnswerSize = 8;
constexpr std::size_t kDriverIdentifySize = 512;
constexpr std::size_t kFwRevisionOutputSize = 1;  // the driver writes all 8 bytes through the address
constexpr CommandBlock kDynamicIdentifyBlock = {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
constexpr std::array<Byte, 4> kMarker = {0xAA, 0x55, 0xBB, 0x66};

/// The count commands of each driver: the record's control code and command
/// number.
struct CountCommands {
  AccessRoute route;
  std::uint32_t controlCode;
  std::uint32_t deviceCount;
  std::uint32_t unitCount;
};

constexpr CountCommands kCountCommands[] = {
    {AccessRoute::SelfDriverPort, port_driver::kControlCode, port_driver::kDeviceCount, port_driver::kUnitCount},
    {AccessRoute::SelfDriverDynamic, dynamic_driver::kControlCode, dynamic_driver::kDeviceCount,
     dynamic_driver::kUnitCount},
};

const CountCommands* countCommandsOf(AccessRoute route) {
  for (const auto& row : kCountCommands) {
    if (row.route == route) return &row;
  }
  return nullptr;
}

// Answer byte 0, or 0 when the request failed: a failed count leaves no answer.
std::uint8_t askCount(Driver9x& driver, std::uint32_t controlCode, std::uint32_t command, std::uint32_t address) {
  std::array<Byte, kCountAnswerSize> answer{};
  const ShortRequest request{controlCode, command, 0, address};
  return sendShortRequest(driver, request, answer, answer.size()) ? answer[0] : 0;
}

}  // namespace

std::uint8_t countDevices(Driver9x& driver, AccessRoute route) {
  const CountCommands* commands = countCommandsOf(route);
  if (commands == nullptr) return 0;
  return askCount(driver, commands->controlCode, commands->deviceCount, 0);
}

std::uint8_t countUnits(Driver9x& driver, AccessRoute route, std::uint32_t device) {
  const CountCommands* commands = countCommandsOf(route);
  if (commands == nullptr) return 0;
  return askCount(driver, commands->controlCode, commands->unitCount, driverAddress(device));
}

bool identifyOnPort(Driver9x& driver, std::uint32_t device, PortIdentify form, IdentifyData& identifyData) {
  const std::uint32_t command = form == PortIdentify::A ? port_driver::kIdentifyA : port_driver::kIdentifyB;
  const ShortRequest request{port_driver::kControlCode, command, kIdentitySignature,
                             driverAddress(device, 1)};
  const Bytes identify = Bytes(identifyData).first(kDriverIdentifySize);
  return sendShortRequest(driver, request, identify, identify.size());
}

bool readFwRevision(Driver9x& driver, std::uint32_t device, FwRevisionAnswer& answer) {
  const ShortRequest request{port_driver::kControlCode, port_driver::kFwRevision, 0, driverAddress(device)};
  return sendShortRequest(driver, request, answer, kFwRevisionOutputSize);
}

bool writeBlocks(Driver9x& driver, std::uint32_t device, Bytes blocks) {
  const std::size_t count = blocks.size() / kDriverBlockSize;
  if (count == 0 || blocks.size() % kDriverBlockSize != 0 || count > driver_address::kLowMask) return false;
  const ShortRequest request{port_driver::kControlCode, port_driver::kBlockWrite, kIdentitySignature,
                             driverAddress(device, static_cast<std::uint32_t>(count))};
  return sendShortRequest(driver, request, blocks, blocks.size());
}

bool identifyOnDynamic(Driver9x& driver, std::uint32_t device, IdentifyData& identifyData) {
  DynamicRequest request;
  request.device = device;
  request.cdb = kDynamicIdentifyBlock;
  request.direction = dynamic_driver::kDirectionIn;
  request.dataLength = static_cast<std::uint32_t>(kIdentifyLength);
  const Bytes identify(identifyData);
  return sendDynamicRequest(driver, request, identify, identify);
}

bool sendMarkerBlock(Driver9x& driver) {
  std::array<Byte, kDriverBlockSize> block{};
  std::copy(kMarker.begin(), kMarker.end(), block.begin());
  return writeBlocks(driver, 0, block);
}

}  // namespace updater
