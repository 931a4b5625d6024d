#include "testing/driver_request.h"

#include <algorithm>
#include <string>

namespace updater {

std::vector<Byte> portRecordBytes(std::uint32_t command, std::uint32_t parameter, std::uint32_t address,
                                  DataAddress dataAddress) {
  std::vector<Byte> record(16);
  putU32(record, 0, command);
  putU32(record, 4, parameter);
  putU32(record, 8, address);
  putU32(record, 12, dataAddress);
  return record;
}

std::vector<Byte> dynamicRecordBytes(std::uint32_t device, const CommandBlock& cdb, std::uint32_t direction,
                                     std::uint32_t dataLength, DataAddress dataAddress) {
  std::vector<Byte> record(40);
  putU32(record, 0, 3);
  putU32(record, 4, device);
  putU32(record, 8, 0);
  std::copy(cdb.begin(), cdb.end(), record.begin() + 12);
  putU32(record, 28, direction);
  putU32(record, 32, dataLength);
  putU32(record, 36, dataAddress);
  return record;
}

std::vector<Byte> ntRecordBytes(std::uint32_t controlCode, std::uint32_t dataLength, std::uint32_t mode,
                                DataAddress answerAddress, ConstBytes data) {
  std::vector<Byte> record(16 + 65536);
  putU32(record, 0, controlCode);
  putU32(record, 4, dataLength);
  putU32(record, 8, mode);
  putU32(record, 12, answerAddress);
  std::copy(data.begin(), data.end(), record.begin() + 16);
  return record;
}

HandleValue openSelfDriverNamed(Port& port, std::string_view baseName, bool deleteOnClose) {
  const std::string name = "\\\\.\\" + std::string(baseName);
  return port.createFile(name, kGenericRead | kGenericWrite, 0, kOpenExisting,
                         deleteOnClose ? kFileFlagDeleteOnClose : 0);
}

}  // namespace updater
