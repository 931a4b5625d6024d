#include "device/self_driver_request.h"

#include <algorithm>
#include <array>

#include "common/program.h"

namespace updater {
namespace {

bool send(Program& program, const UniqueHandle& handle, std::uint32_t controlCode, ConstBytes record,
          Bytes output) {
  return program.port.deviceIoControl(handle.get(), controlCode, record, output).ok;
}

}  // namespace

std::uint32_t driverAddress(std::uint32_t deviceIndex, std::uint32_t low) {
  return (deviceIndex & 0xFF) << driver_address::kDeviceShift | (low & driver_address::kLowMask);
}

void writeShortRecord(Bytes record, const ShortRequest& request, DataAddress dataAddress) {
  putU32(record, port_driver::kCommand, request.command);
  putU32(record, port_driver::kParameter, request.parameter);
  putU32(record, port_driver::kAddress, request.address);
  putU32(record, port_driver::kDataAddress, dataAddress);
}

void writeDynamicRecord(Bytes record, const DynamicRequest& request, DataAddress dataAddress) {
  namespace dd = dynamic_driver;
  std::fill(record.begin(), record.end(), Byte{0});
  putU32(record, dd::kRequest, dd::kExecute);
  putU32(record, dd::kDevice, request.device);
  putU32(record, dd::kUnit, 0);
  std::copy(request.cdb.begin(), request.cdb.end(), record.begin() + dd::kCdb);
  putU8(record, dd::kCdbTerminator, 0);
  putU32(record, dd::kDirection, request.direction);
  putU32(record, dd::kDataLength, request.dataLength);
  putU32(record, dd::kDataAddress, dataAddress);
}

void writeNtRecord(Bytes record, const NtRequest& request, DataAddress answerAddress, ConstBytes data) {
  namespace nd = nt_driver;
  putU32(record, nd::kControlCodeAgain, request.controlCode);
  putU32(record, nd::kDataLength, request.dataLength);
  putU32(record, nd::kMode, request.mode);
  putU32(record, nd::kAnswerAddress, answerAddress);
  const auto dataArea = record.subspan(nd::kData, nd::kDataSize);
  const auto end = std::copy(data.begin(), data.end(), dataArea.begin());
  std::fill(end, dataArea.end(), Byte{0});
}

bool sendShortRequest(Program& program, const ShortRequest& request, Bytes data, std::size_t outputSize) {
  const UniqueHandle& handle = program.selfDriver.driver9x;
  if (!handle.isOpen() || outputSize > data.size()) return false;
  const DataAddress dataAddress = program.port.dataAddress(data);
  if (dataAddress == 0) return false;
  std::array<Byte, port_driver::kRecordSize> record{};
  writeShortRecord(record, request, dataAddress);
  return send(program, handle, request.controlCode, record, data.first(outputSize));
}

bool sendDynamicRequest(Program& program, const DynamicRequest& request, Bytes dataArea, Bytes output) {
  const UniqueHandle& handle = program.selfDriver.driver9x;
  if (!handle.isOpen()) return false;
  const DataAddress dataAddress = program.port.dataAddress(dataArea);
  if (dataAddress == 0) return false;
  std::array<Byte, dynamic_driver::kRecordSize> record{};
  writeDynamicRecord(record, request, dataAddress);
  return send(program, handle, dynamic_driver::kControlCode, record, output);
}

bool sendNtRequest(Program& program, const NtRequest& request, ConstBytes data, Bytes answerArea,
                   std::size_t outputSize) {
  const UniqueHandle& handle = program.selfDriver.driverNt;
  Bytes record(program.selfDriver.ntRequest);
  if (!handle.isOpen() || data.size() > nt_driver::kDataSize || outputSize > answerArea.size()) return false;
  const DataAddress answerAddress = program.port.dataAddress(answerArea);
  if (answerAddress == 0) return false;
  writeNtRecord(record, request, answerAddress, data);
  return send(program, handle, request.controlCode, record, answerArea.first(outputSize));
}

}  // namespace updater
