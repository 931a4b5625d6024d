#pragma once

// The FunctionFS descriptor and string blobs written to ep0: one mass-storage
// interface (SCSI transparent, Bulk-Only) with bulk IN ep1 and bulk OUT ep2,
// at full and high speed.

#include <vector>

#include "common/bytes.h"

namespace updater {

std::vector<Byte> functionFsDescriptors();
std::vector<Byte> functionFsStrings();

}  // namespace updater
