#pragma once

// SCSI pass-through requests built byte by byte the way the program must
// build them, for tests that talk to the simulated machine directly. The
// offsets are spelled out here, apart from the program's own layout header,
// so that a wrong offset in one shows up against the other.

#include <cstdint>
#include <vector>

#include "common/bytes.h"
#include "isp/vendor_command.h"
#include "platform/port.h"

namespace updater {

namespace request_offset {
inline constexpr std::size_t kLength = 0;
inline constexpr std::size_t kScsiStatus = 2;
inline constexpr std::size_t kPathId = 3;
inline constexpr std::size_t kTargetId = 4;
inline constexpr std::size_t kLun = 5;
inline constexpr std::size_t kCdbLength = 6;
inline constexpr std::size_t kSenseInfoLength = 7;
inline constexpr std::size_t kDataIn = 8;
inline constexpr std::size_t kDataTransferLength = 12;
inline constexpr std::size_t kTimeOutValue = 16;
inline constexpr std::size_t kDataBufferOffset = 20;
inline constexpr std::size_t kSenseInfoOffset = 24;
inline constexpr std::size_t kCdb = 28;
inline constexpr std::size_t kSense = 48;
inline constexpr std::size_t kData = 80;
inline constexpr std::size_t kBufferSize = 65616;
}  // namespace request_offset

struct PassThroughRequestBytes {
  std::vector<Byte> buffer = std::vector<Byte>(request_offset::kBufferSize);
  std::size_t inputSize = 44;
  std::size_t outputSize = 80;

  ConstBytes input() const { return ConstBytes(buffer).first(inputSize); }
  Bytes output() { return Bytes(buffer).first(outputSize); }
  Byte scsiStatus() const { return buffer[request_offset::kScsiStatus]; }
  /// The data area's first `length` bytes.
  std::vector<Byte> data(std::size_t length) const;
};

/// A request with every header field as the program sets it: a data-in
/// command of `length` data bytes when `dataIn`, else data-out (data area in
/// the input too).
PassThroughRequestBytes passThroughRequest(const CommandBlock& cdb, bool dataIn, std::uint32_t length,
                                           std::uint32_t timeOutSeconds);

PassThroughRequestBytes inquiryRequest();
PassThroughRequestBytes deviceIdentifyRequest();
/// `variant` 0x13 or 0x03.
PassThroughRequestBytes driverIdentifyRequest(Byte variant);
PassThroughRequestBytes jumpToIspRequest();
PassThroughRequestBytes getIspStatusRequest();
/// sendIspData of `image` in `mode`, zeros after it up to the padded length.
PassThroughRequestBytes sendIspDataRequest(IspDataMode mode, const std::vector<Byte>& image);

/// Sends `request` on `drive` with IOCTL_SCSI_PASS_THROUGH.
DeviceIoResult sendPassThrough(Port& port, HandleValue drive, PassThroughRequestBytes& request);

/// Opens a drive by letter with the arguments the program uses.
HandleValue openDrive(Port& port, char letter);

}  // namespace updater
