#pragma once

// The self-driver routes' own commands on the Windows 98/ME handle, each
// addressed to the driver's device `device`: the device and unit counts
// (port and dynamic driver), the identify commands, the firmware revision
// query and the block write (port driver), and the Memory Stick mode switch
// built on the block write. A command succeeds when DeviceIoControl does.

#include <array>
#include <cstdint>

#include "common/bytes.h"
#include "device/access_route.h"
#include "device/device_table.h"
#include "device/self_driver/self_driver.h"

namespace updater {

/// The identify forms of the port driver: 512 bytes into IdentifyData.
enum class PortIdentify { A, B };

inline constexpr std::size_t kDriverBlockSize = 512;
inline constexpr std::size_t kFwRevisionAnswerSize = 8;
using FwRevisionAnswer = std::array<Byte, kFwRevisionAnswerSize>;

/// The number of devices the driver of `route` (SelfDriverPort or
/// SelfDriverDynamic) reports: answer byte 0. A failed request counts as 0.
std::uint8_t countDevices(Driver9x& driver, AccessRoute route);

/// The number of logical units of device `device`: answer byte 0. A failed
/// request counts as 0.
std::uint8_t countUnits(Driver9x& driver, AccessRoute route, std::uint32_t device);

/// Port driver: one identify form into the first 512 bytes of `identify`.
bool identifyOnPort(Driver9x& driver, std::uint32_t device, PortIdentify form, IdentifyData& identify);

/// Port driver: the 8-byte firmware revision record into `answer`.
bool readFwRevision(Driver9x& driver, std::uint32_t device, FwRevisionAnswer& answer);

/// Port driver: writes `blocks` (whole 512-byte blocks, at least one).
bool writeBlocks(Driver9x& driver, std::uint32_t device, Bytes blocks);

/// Dynamic driver: the 528-byte identify block into `identify`.
bool identifyOnDynamic(Driver9x& driver, std::uint32_t device, IdentifyData& identify);

/// Switches the Memory Stick controller between its main program and its
/// loader: writes the marker block (AA 55 BB 66, then zeros) to device 0
/// with the port driver. True when written; shows nothing.
bool sendMarkerBlock(Driver9x& driver);

}  // namespace updater
