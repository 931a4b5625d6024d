#include "device/self_driver_commands.h"

#include "common/program.h"
#include "device/self_driver.h"
#include "device/self_driver_request.h"

namespace updater {
namespace {

constexpr std::size_t kCountAnswerSize = 8;
constexpr std::size_t kDriverIdentifySize = 512;
constexpr std::size_t kFwRevisionOutputSize = 1;  // the driver writes all 8 bytes through the address
constexpr CommandBlock kDynamicIdentifyBlock = {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
constexpr std::array<Byte, 4> kMarker = {0xAA, 0x55, 0xBB, 0x66};
constexpr std::string_view kWriteDataError = "Write data Error\n";

std::uint32_t selectedDevice(const Program& program) { return program.deviceTable.selectedIndex; }

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
std::uint8_t askCount(Program& program, std::uint32_t controlCode, std::uint32_t command, std::uint32_t address) {
  std::array<Byte, kCountAnswerSize> answer{};
  const ShortRequest request{controlCode, command, 0, address};
  return sendShortRequest(program, request, answer, answer.size()) ? answer[0] : 0;
}

}  // namespace

std::uint8_t countDevices(Program& program, AccessRoute route) {
  const CountCommands* commands = countCommandsOf(route);
  if (commands == nullptr) return 0;
  return askCount(program, commands->controlCode, commands->deviceCount, 0);
}

std::uint8_t countUnits(Program& program, AccessRoute route) {
  const CountCommands* commands = countCommandsOf(route);
  if (commands == nullptr) return 0;
  return askCount(program, commands->controlCode, commands->unitCount, driverAddress(selectedDevice(program)));
}

bool identifyOnPort(Program& program, PortIdentify form) {
  const std::uint32_t command = form == PortIdentify::A ? port_driver::kIdentifyA : port_driver::kIdentifyB;
  const ShortRequest request{port_driver::kControlCode, command, kIdentitySignature,
                             driverAddress(selectedDevice(program), 1)};
  const Bytes identify = Bytes(program.deviceTable.identifyData).first(kDriverIdentifySize);
  return sendShortRequest(program, request, identify, identify.size());
}

bool readFwRevision(Program& program, FwRevisionAnswer& answer) {
  const ShortRequest request{port_driver::kControlCode, port_driver::kFwRevision, 0,
                             driverAddress(selectedDevice(program))};
  return sendShortRequest(program, request, answer, kFwRevisionOutputSize);
}

bool writeBlocks(Program& program, Bytes blocks) {
  const std::size_t count = blocks.size() / kDriverBlockSize;
  if (count == 0 || blocks.size() % kDriverBlockSize != 0 || count > driver_address::kLowMask) return false;
  const ShortRequest request{port_driver::kControlCode, port_driver::kBlockWrite, kIdentitySignature,
                             driverAddress(selectedDevice(program), static_cast<std::uint32_t>(count))};
  return sendShortRequest(program, request, blocks, blocks.size());
}

bool identifyOnDynamic(Program& program) {
  DynamicRequest request;
  request.device = selectedDevice(program);
  request.cdb = kDynamicIdentifyBlock;
  request.direction = dynamic_driver::kDirectionIn;
  request.dataLength = static_cast<std::uint32_t>(kIdentifyLength);
  const Bytes identify(program.deviceTable.identifyData);
  return sendDynamicRequest(program, request, identify, identify);
}

bool sendMarkerBlock(Program& program) {
  std::array<Byte, kDriverBlockSize> block{};
  std::copy(kMarker.begin(), kMarker.end(), block.begin());
  program.deviceTable.selectedIndex = 0;
  return writeBlocks(program, block);
}

void reportMarkerBlockFailure(Program& program) {
  program.mainView.messageBox(kWriteDataError, program.applicationName, MessageIcon::None);
  closeDriver9x(program);
}

}  // namespace updater
