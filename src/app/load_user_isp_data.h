#pragma once

// Loading DEVICE.TXT into the program's `UserIspData` and showing what it
// says: at start-up and whenever the operator presses "UserISPInfo".

#include <string>
#include <string_view>

#include "app/device_txt.h"
#include "app/user_isp_data.h"

namespace updater {

struct Program;

/// What the summary's system block shows besides the file names.
struct SystemInformation {
  /// The Windows family: 1 Windows 98, 2 ME, 3 2000, 4 XP (and Vista).
  int osMode = 0;
  bool selfDriverChosen = false;
  /// The chosen self-driver's file name; empty before the driver list is
  /// filled.
  std::string_view selectedDriverName;
  /// The host's name and release, shown for the host family (5).
  std::string_view hostSystemText;
};

inline constexpr std::string_view kUserIspDataCaption = "User ISP Update Data Dialog";
inline constexpr std::string_view kMessageDialogCaption = "Message Dialog";
inline constexpr std::string_view kCannotOpenDeviceTxt = "Error: Cannot open [DEVICE.TXT]";

/// The text of the "User ISP Update Data Dialog" box: the system block (the
/// Windows family, the driver on self-driver routes, the four file names)
/// and the update block (each value, or "No Active").
std::string userIspSummary(const UserIspData& data, const SystemInformation& system);

/// Reads DEVICE.TXT from the program's working directory into
/// `program.userIspData` and shows the summary. A file that cannot be opened
/// is first reported in a stop box; the summary follows all the same.
void loadUserIspData(Program& program, const SystemInformation& system);

/// `loadUserIspData` on contents already read.
void loadUserIspDataFrom(Program& program, const DeviceTxt& file, const SystemInformation& system);

}  // namespace updater
