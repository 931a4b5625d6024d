#pragma once

// Before the program talks to the readers of a Linux host it makes sure that
// it may: every unit's SCSI generic node must open for reading and writing,
// which needs root or membership of the group that owns the node.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/scsi_generic.h"
#include "platform/linux/usb_reader_scan.h"

namespace updater {

/// Opens and closes each unit's node in `deviceFolder`. None when all
/// open; otherwise one line about the first that does not, e.g.
/// "cannot open /dev/sg1: Permission denied (run as root, or as a member of group "disk")".
std::optional<std::string> inaccessibleNode(const std::vector<HostReader>& readers, ScsiGeneric& scsiGeneric,
                                            const std::filesystem::path& deviceFolder);

}  // namespace updater
