#pragma once

// Self-driver request records built byte by byte the way the program must
// build them, for tests that talk to the simulated drivers directly or check
// what the program sent. The offsets and numbers are spelled out here, apart
// from the program's own layout header, so that a wrong offset in one shows
// up against the other.

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "isp/vendor_command.h"
#include "platform/port.h"

namespace updater {

/// A 16-byte record: command at 0, parameter at 4, address at 8, data
/// address at 12.
std::vector<Byte> portRecordBytes(std::uint32_t command, std::uint32_t parameter, std::uint32_t address,
                                  DataAddress dataAddress);

/// The dynamic driver's 40-byte record: request code 3 at 0, device at 4,
/// unit 0 at 8, the block at 12..23, direction at 28, data length at 32, data
/// address at 36; everything else zero.
std::vector<Byte> dynamicRecordBytes(std::uint32_t device, const CommandBlock& cdb, std::uint32_t direction,
                                     std::uint32_t dataLength, DataAddress dataAddress);

/// The NT driver's 65,552-byte record: the control code again at 0, data
/// length at 4, mode at 8, answer address at 12, `data` from 16, zeros after.
std::vector<Byte> ntRecordBytes(std::uint32_t controlCode, std::uint32_t dataLength, std::uint32_t mode,
                                DataAddress answerAddress, ConstBytes data = {});

/// Opens "\\.\" + `baseName` the way the program opens a self driver.
HandleValue openSelfDriverNamed(Port& port, std::string_view baseName, bool deleteOnClose = false);

}  // namespace updater
