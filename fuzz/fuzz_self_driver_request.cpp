// The self drivers' request records built from fuzzed values: each record
// is written into a buffer of exactly its size (so the sanitizer sees any
// write past it), every field reads back at its offset as the value it was
// built from, and the bytes the record leaves unset are as the builder
// promises: zero in the dynamic driver's record, zero after the data in
// the NT driver's data area. The address field keeps the device index in
// its top byte, unit 0 below it, and the low 16 bits.
//
// Input: 4 bytes each command, parameter, address, data address, device
// index and low word; 12 bytes command block; 4 bytes each direction, data
// length, control code, mode; 4 bytes NT data size (modulo 64 KiB + 1),
// then the NT data (the rest reads as 0).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/self_driver/self_driver_request.h"
#include "fuzz_input.h"

namespace updater {
namespace {

using fuzz::require;

constexpr Byte kStale = 0xEE;

void checkAddress(std::uint32_t deviceIndex, std::uint32_t low) {
  const std::uint32_t address = driverAddress(deviceIndex, low);
  require(address >> driver_address::kDeviceShift == (deviceIndex & 0xFF));
  require(((address >> driver_address::kUnitShift) & 0xFF) == 0);
  require((address & driver_address::kLowMask) == (low & driver_address::kLowMask));
}

void checkShortRecord(const ShortRequest& request, DataAddress dataAddress) {
  std::vector<Byte> record(port_driver::kRecordSize, kStale);
  writeShortRecord(record, request, dataAddress);
  require(getU32(record, port_driver::kCommand) == request.command);
  require(getU32(record, port_driver::kParameter) == request.parameter);
  require(getU32(record, port_driver::kAddress) == request.address);
  require(getU32(record, port_driver::kDataAddress) == dataAddress);
}

void checkDynamicRecord(const DynamicRequest& request, DataAddress dataAddress) {
  namespace dd = dynamic_driver;
  std::vector<Byte> record(dd::kRecordSize, kStale);
  writeDynamicRecord(record, request, dataAddress);
  require(getU32(record, dd::kRequest) == dd::kExecute);
  require(getU32(record, dd::kDevice) == request.device);
  require(getU32(record, dd::kUnit) == 0);
  require(std::equal(request.cdb.begin(), request.cdb.end(), record.begin() + dd::kCdb));
  for (std::size_t i = dd::kCdbTerminator; i < dd::kDirection; ++i) require(record[i] == 0);
  require(getU32(record, dd::kDirection) == request.direction);
  require(getU32(record, dd::kDataLength) == request.dataLength);
  require(getU32(record, dd::kDataAddress) == dataAddress);
}

void checkNtRecord(const NtRequest& request, DataAddress answerAddress, const std::vector<Byte>& data) {
  namespace nd = nt_driver;
  std::vector<Byte> record(nd::kRecordSize, kStale);
  writeNtRecord(record, request, answerAddress, data);
  require(getU32(record, nd::kControlCodeAgain) == request.controlCode);
  require(getU32(record, nd::kDataLength) == request.dataLength);
  require(getU32(record, nd::kMode) == request.mode);
  require(getU32(record, nd::kAnswerAddress) == answerAddress);
  require(std::equal(data.begin(), data.end(), record.begin() + nd::kData));
  require(std::all_of(record.begin() + static_cast<std::ptrdiff_t>(nd::kData + data.size()), record.end(),
                      [](Byte b) { return b == 0; }));
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  fuzz::FuzzInput input(data, size);
  ShortRequest shortRequest;
  shortRequest.command = input.u32();
  shortRequest.parameter = input.u32();
  shortRequest.address = input.u32();
  const DataAddress dataAddress = input.u32();
  const std::uint32_t deviceIndex = input.u32();
  const std::uint32_t low = input.u32();

  DynamicRequest dynamicRequest;
  dynamicRequest.device = deviceIndex;
  input.fill(dynamicRequest.cdb);
  dynamicRequest.direction = input.u32();
  dynamicRequest.dataLength = input.u32();

  NtRequest ntRequest;
  ntRequest.controlCode = input.u32();
  ntRequest.dataLength = dynamicRequest.dataLength;
  ntRequest.mode = input.u32();
  const std::size_t ntDataSize = input.u32() % (nt_driver::kDataSize + 1);
  const std::vector<Byte> ntData = input.bytes(ntDataSize);

  checkAddress(deviceIndex, low);
  checkShortRecord(shortRequest, dataAddress);
  // The address field as the port driver's commands fill it.
  shortRequest.address = driverAddress(deviceIndex, low);
  checkShortRecord(shortRequest, dataAddress);
  checkDynamicRecord(dynamicRequest, dataAddress);
  checkNtRecord(ntRequest, dataAddress, ntData);
  return 0;
}
