#include "device/self_driver/self_driver_request.h"

#include <algorithm>
#include <array>


namespace updater {
namespace {

bool send(Port& port, const UniqueHandle& handle, std::uint32_t controlCode, ConstBytes record, Bytes output) {
  return port.deviceIoControl(handle.get(), controlCode, record, output).ok;
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

bool sendShortRequest(Driver9x& driver, const ShortRequest& request, Bytes data, std::size_t outputSize) {
  const UniqueHandle& handle = driver.handle();
  if (!handle.isOpen() || outputSize > data.size()) return false;
  const DataAddress dataAddress = driver.port().dataAddress(data);
  if (dataAddress == 0) return false;
  std::array<Byte, port_driver::kRecordSize> record{};
  writeShortRecord(record, request, dataAddress);
  return send(driver.port(), handle, request.controlCode, record, data.first(outputSize));
}

bool sendDynamicRequest(Driver9x& driver, const DynamicRequest& request, Bytes dataArea, Bytes output) {
  const UniqueHandle& handle = driver.handle();
  if (!handle.isOpen()) return false;
  const DataAddress dataAddress = driver.port().dataAddress(dataArea);
  if (dataAddress == 0) return false;
  std::array<Byte, dynamic_driver::kRecordSize> record{};
  writeDynamicRecord(record, request, dataAddress);
  return send(driver.port(), handle, dynamic_driver::kControlCode, record, output);
}

bool sendNtRequest(NtDriver& driver, const NtRequest& request, ConstBytes data, Bytes answerArea,
                   std::size_t outputSize) {
  const UniqueHandle& handle = driver.handle();
  const Bytes record = driver.requestRecord();
  if (!handle.isOpen() || data.size() > nt_driver::kDataSize || outputSize > answerArea.size()) return false;
  const DataAddress answerAddress = driver.port().dataAddress(answerArea);
  if (answerAddress == 0) return false;
  writeNtRecord(record, request, answerAddress, data);
  return send(driver.port(), handle, request.controlCode, record, answerArea.first(outputSize));
}

}  // namespace updater
