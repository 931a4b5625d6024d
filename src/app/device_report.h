#pragma once

// The device report: the text of the main window's report area after every
// scan and change of selection (StatusLog first, then the identity and
// firmware revisions of the selected reader, then the device count and the
// selection), and the "Device Name :" field with the selected reader's
// inquiry product name and drive letters.

#include "app/control_ids.h"

namespace updater {

struct Program;

inline constexpr int kReportAreaControl = control::kReportArea;
inline constexpr int kDeviceNameControl = control::kDeviceName;

/// Shows the report of the selected device in controls 1021 and 1024 (in
/// that order), rebuilding `hardwareRevisionText` from the selected entry
/// and setting `selectedLetterCount` to its letter count. Sends nothing to
/// the device.
void showDeviceReport(Program& program);

}  // namespace updater
