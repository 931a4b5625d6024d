#pragma once

// The Memory Stick controller update: switches the reader's Memory Stick
// controller from its main program into its loader, sends the MS firmware
// file to the loader to be programmed or compared, and switches it back. It
// talks to the reader only through the port self driver's commands, on the
// Windows 98/ME handle the operator command opened before; the update closes
// it on every way out. It drives its own status window and writes its report to
// StatusLog; SERIAL.TXT and the ISP counters stay untouched.

#include <cstdint>

#include "device/self_driver/self_driver_port_route.h"
#include "jobs/job_context.h"

namespace updater {

/// `runMsUpdate`'s argument for a comparison; any other value programs.
inline constexpr int kMsVerify = 1;
inline constexpr int kMsProgram = 0;

/// The largest MS firmware file.
inline constexpr std::uint32_t kMsFirmwareLimit = 0x8000;

/// `job.route` is not used: every command goes through `portRoute`, to the
/// driver's device 0. True when the controller took (or matched) the
/// firmware and, unless its loader cannot be left, went back to its program.
bool runMsUpdate(JobContext& job, SelfDriverPortRoute& portRoute, int verifyMode);

}  // namespace updater
