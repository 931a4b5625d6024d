#pragma once

// updater-cli --host: the operator's actions on this computer's USB card
// readers, over the Linux host port. The transcript is written as the events
// come, since a real job takes seconds.

#include <filesystem>
#include <optional>

#include "cli/command_line.h"
#include "cli/updater_cli.h"
#include "platform/port.h"

namespace updater {

class ScsiGeneric;

/// What the host run reaches the system through; tests give their own.
struct HostAccess {
  std::filesystem::path sysfsRoot = "/sys";
  std::filesystem::path deviceFolder = "/dev";
  /// None: the kernel's SCSI generic driver.
  ScsiGeneric* scsiGeneric = nullptr;
  /// None: the running kernel's name and release.
  std::optional<HostSystem> system;
};

/// Runs `options` on the readers `access` finds; the exit status.
int runOnHost(const CliOptions& options, const CliStreams& streams, const HostAccess& access);

}  // namespace updater
