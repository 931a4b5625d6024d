#pragma once

// The name a reader's request goes by in sessions, failure plans and io
// events ("inquiry", "sendIspData", ...), told from the command block the
// pass-through route carries.

#include <optional>
#include <string_view>

#include "isp/vendor_command.h"

namespace updater {

/// The request name of `cdb`, by its opcode (and, for the driver-level
/// identify and the vendor commands, its second byte); none for a block the
/// program does not send over the drive letter.
std::optional<std::string_view> passThroughRequestName(const CommandBlock& cdb);

}  // namespace updater
