#pragma once

// The self drivers' request records, built byte by byte at their offsets and
// sent with DeviceIoControl. Each record names the caller's data (or answer)
// area by a 32-bit data address; the driver reads or writes through it. A
// request is not sent when its handle is not open or when the platform
// cannot name the area in 32 bits: it fails like a refused request.

#include <cstdint>

#include "common/bytes.h"
#include "isp/vendor_command.h"
#include "platform/port.h"
#include "device/self_driver/self_driver.h"
#include "platform/self_driver_records.h"

namespace updater {

/// The address field of the 16-byte records: device index in bits 24..31,
/// logical unit 0 in bits 16..23, `low` (block count or mode) in bits 0..15.
std::uint32_t driverAddress(std::uint32_t deviceIndex, std::uint32_t low = 0);

/// A 16-byte record: the port driver's on 0x41, the dynamic driver's count
/// commands on 0x42.
struct ShortRequest {
  std::uint32_t controlCode = port_driver::kControlCode;
  std::uint32_t command = 0;
  std::uint32_t parameter = 0;
  std::uint32_t address = 0;
};

/// The dynamic driver's 40-byte record that carries a command block.
struct DynamicRequest {
  std::uint32_t device = 0;
  CommandBlock cdb{};
  std::uint32_t direction = dynamic_driver::kDirectionNone;
  std::uint32_t dataLength = 0;
};

/// The NT driver's 65,552-byte record.
struct NtRequest {
  std::uint32_t controlCode = 0;
  std::uint32_t dataLength = 0;
  std::uint32_t mode = 0;
};

void writeShortRecord(Bytes record, const ShortRequest& request, DataAddress dataAddress);
void writeDynamicRecord(Bytes record, const DynamicRequest& request, DataAddress dataAddress);
/// Writes the header and copies `data` into the data area; the rest of the
/// data area becomes zero.
void writeNtRecord(Bytes record, const NtRequest& request, DataAddress answerAddress, ConstBytes data);

/// Sends a 16-byte record on the Windows 98/ME handle. `data` is the area the
/// record names; its first `outputSize` bytes are the output buffer.
bool sendShortRequest(Driver9x& driver, const ShortRequest& request, Bytes data, std::size_t outputSize);

/// Sends a 40-byte record on the Windows 98/ME handle; it names `dataArea`,
/// and `output` is the output buffer.
bool sendDynamicRequest(Driver9x& driver, const DynamicRequest& request, Bytes dataArea, Bytes output);

/// Builds the NT record in the driver's request buffer, with `data` in its
/// data area (at most 65,536 bytes), and sends it on the Windows 2000 handle.
/// The record names `answerArea`, whose first `outputSize` bytes are the
/// output buffer.
bool sendNtRequest(NtDriver& driver, const NtRequest& request, ConstBytes data, Bytes answerArea,
                   std::size_t outputSize);

}  // namespace updater
