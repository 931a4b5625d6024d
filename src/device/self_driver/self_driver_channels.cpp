#include "device/self_driver/self_driver_channels.h"

#include "device/self_driver/self_driver_request.h"

namespace updater {
namespace {

constexpr std::size_t kOneByteAnswer = 1;

/// What each driver calls the loader's commands.
struct DriverCommandCodes {
  Byte opcode;               // command block byte 1
  std::uint32_t portCommand;
  std::uint32_t ntControlCode;
};

constexpr DriverCommandCodes kDriverCommandCodes[] = {
    {kJumpToIspCode, port_driver::kJumpToIsp, nt_driver::kJumpToIsp},
    {kGetIspStatusCode, port_driver::kGetIspStatus, nt_driver::kGetIspStatus},
    {kProgramDataCode, port_driver::kSendIspData, nt_driver::kSendIspData},
    {kVerifyDataCode, port_driver::kSendIspData, nt_driver::kSendIspData},
};

const DriverCommandCodes* codesOf(const VendorCommand& command) {
  for (const auto& row : kDriverCommandCodes) {
    if (row.opcode == command.cdb[1]) return &row;
  }
  return nullptr;
}

Byte modeOf(const VendorCommand& command) { return command.cdb[send_isp_data::kMode]; }

/// The data phase of a data-out command: exactly its transfer length, which
/// the caller's data must hold.
bool dataFits(const VendorCommand& command) { return command.data.size() >= command.transferLength; }

}  // namespace

bool PortDriverChannel::execute(VendorCommand& command) {
  const DriverCommandCodes* codes = codesOf(command);
  if (codes == nullptr) return false;
  ShortRequest request{port_driver::kControlCode, codes->portCommand, 0, driverAddress(device)};
  switch (command.direction) {
    case Direction::None:  // jumpToIsp
      return sendShortRequest(driver_, request, jumpAnswer_, kOneByteAnswer);
    case Direction::In:  // getIspStatus
      if (command.data.empty()) return false;
      return sendShortRequest(driver_, request, command.data.first(kOneByteAnswer), kOneByteAnswer);
    case Direction::Out:  // sendIspData: the driver reads `length` bytes through the address
      if (!dataFits(command)) return false;
      request.parameter = command.transferLength;
      request.address = driverAddress(device, modeOf(command));
      return sendShortRequest(driver_, request, command.data.first(command.transferLength), 0);
  }
  return false;
}

bool DynamicDriverChannel::execute(VendorCommand& command) {
  namespace dd = dynamic_driver;
  DynamicRequest request;
  request.device = device;
  request.cdb = command.cdb;
  switch (command.direction) {
    case Direction::None:  // jumpToIsp
      return sendDynamicRequest(driver_, request, jumpAnswer_, Bytes(jumpAnswer_).first(0));
    case Direction::In:  // getIspStatus: the area holds what the request announces
      if (command.data.size() < dd::kStatusDataLength) return false;
      request.direction = dd::kDirectionIn;
      request.dataLength = dd::kStatusDataLength;
      return sendDynamicRequest(driver_, request, command.data.first(dd::kStatusDataLength),
                                command.data.first(dd::kStatusOutputSize));
    case Direction::Out: {  // sendIspData: the padded length straight from the image buffer
      if (!dataFits(command)) return false;
      request.direction = dd::kDirectionOut;
      request.dataLength = command.transferLength;
      const Bytes data = command.data.first(command.transferLength);
      return sendDynamicRequest(driver_, request, data, data);
    }
  }
  return false;
}

bool NtDriverChannel::execute(VendorCommand& command) {
  const DriverCommandCodes* codes = codesOf(command);
  if (codes == nullptr) return false;
  NtRequest request{codes->ntControlCode, 0, 0};
  switch (command.direction) {
    case Direction::None:  // jumpToIsp
      return sendNtRequest(driver_, request, {}, jumpAnswer_, kOneByteAnswer);
    case Direction::In:  // getIspStatus
      if (command.data.empty()) return false;
      return sendNtRequest(driver_, request, {}, command.data.first(kOneByteAnswer), kOneByteAnswer);
    case Direction::Out:  // sendIspData: the image in the record, its answer in a scratch area
      if (!dataFits(command)) return false;
      request.dataLength = command.transferLength;
      request.mode = modeOf(command);
      return sendNtRequest(driver_, request, command.data.first(command.transferLength), scratch_, 0);
  }
  return false;
}

}  // namespace updater
