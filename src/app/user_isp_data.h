#pragma once

// Reading DEVICE.TXT into its record (jobs/user_isp_data.h).

#include "app/device_txt.h"
#include "jobs/user_isp_data.h"

namespace updater {

/// Fills `data` from DEVICE.TXT: resets every presence flag, then reads each
/// key. Values whose key is missing or malformed are absent; when the file
/// could not be opened, every value is absent, the file names are empty, the
/// inquiry identities blank and `romSelectCode` 0.
void readUserIspData(UserIspData& data, const DeviceTxt& file);

}  // namespace updater
