#pragma once

// The columns of a run's history record that the application knows before
// the run: the station's program, the route, and the selected reader's
// drives and identity as the device report shows them.

#include <optional>
#include <string_view>

#include "device/access_route.h"
#include "device/device_table.h"
#include "jobs/history_record.h"

namespace updater {

struct Program;

/// The program's own version, as its job titles name it.
inline constexpr std::string_view kProgramVersion = "1.60";

/// A record for a run over `route` (none on a Windows without one) on the
/// selected reader, with the station's and the reader's columns filled in
/// and the job's left empty.
HistoryRecord readerHistoryColumns(Program& program, std::optional<AccessRoute> route);

/// The drives (or units) of reader `entry`, blank-separated: "E: F:".
std::string unitsText(Program& program, const DeviceEntry& entry);

}  // namespace updater
