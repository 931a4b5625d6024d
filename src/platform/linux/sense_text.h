#pragma once

// Sense data in words, for the trace of requests on a Linux host: sg3_utils'
// decoder names the sense key, the additional sense code and its qualifier
// as the SCSI standards do.

#include <string>

#include "common/bytes.h"

namespace updater {

/// One line, e.g. "Illegal Request: Additional sense: Invalid command
/// operation code";
/// empty when `sense` is empty.
std::string senseText(ConstBytes sense);

}  // namespace updater
