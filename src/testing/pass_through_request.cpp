#include "testing/pass_through_request.h"

#include <algorithm>
#include <string>

namespace updater {

std::vector<Byte> PassThroughRequestBytes::data(std::size_t length) const {
  const auto start = buffer.begin() + static_cast<std::ptrdiff_t>(request_offset::kData);
  return std::vector<Byte>(start, start + static_cast<std::ptrdiff_t>(length));
}

PassThroughRequestBytes passThroughRequest(const CommandBlock& cdb, bool dataIn, std::uint32_t length,
                                           std::uint32_t timeOutSeconds) {
  using namespace request_offset;
  PassThroughRequestBytes request;
  Bytes header(request.buffer);
  putU16(header, kLength, 44);
  putU8(header, kPathId, 0);
  putU8(header, kTargetId, 1);
  putU8(header, kLun, 0);
  putU8(header, kCdbLength, 12);
  putU8(header, kSenseInfoLength, 24);
  putU8(header, kDataIn, dataIn ? 1 : 0);
  putU32(header, kDataTransferLength, length);
  putU32(header, kTimeOutValue, timeOutSeconds);
  putU32(header, kDataBufferOffset, 80);
  putU32(header, kSenseInfoOffset, 48);
  std::copy(cdb.begin(), cdb.end(), request.buffer.begin() + static_cast<std::ptrdiff_t>(kCdb));
  request.outputSize = kData + length;
  request.inputSize = dataIn ? 44 : kData + length;
  return request;
}

PassThroughRequestBytes inquiryRequest() {
  return passThroughRequest({0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0}, true, 36, 2);
}

PassThroughRequestBytes deviceIdentifyRequest() {
  return passThroughRequest({0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0}, true, 528, 2);
}

PassThroughRequestBytes driverIdentifyRequest(Byte variant) {
  return passThroughRequest({0xFF, variant, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0}, true, 512, 2);
}

PassThroughRequestBytes jumpToIspRequest() { return passThroughRequest(jumpToIspBlock(0x00), true, 0, 2); }

PassThroughRequestBytes getIspStatusRequest() { return passThroughRequest(getIspStatusBlock(), true, 8, 30); }

PassThroughRequestBytes sendIspDataRequest(IspDataMode mode, const std::vector<Byte>& image) {
  const auto length = static_cast<std::uint32_t>(image.size());
  const std::uint32_t padded = paddedLength(length);
  PassThroughRequestBytes request = passThroughRequest(sendIspDataBlock(mode, 0, length, padded), false, padded, 30);
  std::copy(image.begin(), image.end(), request.buffer.begin() + static_cast<std::ptrdiff_t>(request_offset::kData));
  return request;
}

DeviceIoResult sendPassThrough(Port& port, HandleValue drive, PassThroughRequestBytes& request) {
  return port.deviceIoControl(drive, 0x4D004, request.input(), request.output());
}

HandleValue openDrive(Port& port, char letter) {
  std::string name = "\\\\.\\C:";
  name[4] = letter;
  return port.createFile(name, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite, kOpenExisting, 0);
}

}  // namespace updater
