#pragma once

// The self-driver routes' own commands, each addressed to the device at the
// table's `selectedIndex`: the device and unit counts (port and dynamic
// driver), the identify commands, the firmware revision query and the block
// write (port driver), and the Memory Stick mode switch built on the block
// write. A command succeeds when DeviceIoControl does.

#include <array>
#include <cstdint>

#include "common/bytes.h"
#include "device/access_route.h"

namespace updater {

struct Program;

/// The identify forms of the port driver: 512 bytes into IdentifyData.
enum class PortIdentify { A, B };

inline constexpr std::size_t kDriverBlockSize = 512;
inline constexpr std::size_t kFwRevisionAnswerSize = 8;
using FwRevisionAnswer = std::array<Byte, kFwRevisionAnswerSize>;

/// The number of devices the driver of `route` (SelfDriverPort or
/// SelfDriverDynamic) reports: answer byte 0. A failed request counts as 0.
std::uint8_t countDevices(Program& program, AccessRoute route);

/// The number of logical units of the selected device: answer byte 0. A failed
/// request counts as 0.
std::uint8_t countUnits(Program& program, AccessRoute route);

/// Port driver: one identify form into the first 512 bytes of IdentifyData.
bool identifyOnPort(Program& program, PortIdentify form);

/// Port driver: the 8-byte firmware revision record into `answer`.
bool readFwRevision(Program& program, FwRevisionAnswer& answer);

/// Port driver: writes `blocks` (whole 512-byte blocks, at least one).
bool writeBlocks(Program& program, Bytes blocks);

/// Dynamic driver: the 528-byte identify block into IdentifyData.
bool identifyOnDynamic(Program& program);

/// Switches the Memory Stick controller between its main program and its
/// loader: selects device 0 and writes the marker block (AA 55 BB 66, then
/// zeros) with the port driver. True when written; shows nothing.
bool sendMarkerBlock(Program& program);

/// A marker block that was not written: "Write data Error\n" in a plain box,
/// and the Windows 98/ME handle closed. Kept apart from the send so that the
/// Memory Stick update can hide its status window before the box.
void reportMarkerBlockFailure(Program& program);

}  // namespace updater
