#pragma once

#include "common/bytes.h"

namespace updater {

/// What DEVICE.TXT says, each value with its presence flag.
struct UserIspData {
  /// "ROM_setting": carried in byte 3 of every data transfer; 0 when absent.
  Byte romSelectCode = 0;
};

}  // namespace updater
