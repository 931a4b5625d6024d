#pragma once

// The handlers behind the main window's buttons, lists and check boxes. Each
// checks the operator's choices against the Windows family and the reader,
// refuses with its fixed message where a precondition fails, opens the self
// driver where the route needs it, runs the job, and shows StatusLog (for
// ISP with the run counters) in the report area.

namespace updater {

struct Program;
class RouteSet;

/// "GetInfo": scan, fill "Device Sel", show the report.
void getInfo(Program& program, RouteSet& routes);
/// "Driver Select" changed: take the chosen driver, scan again.
void driverSelectChanged(Program& program, RouteSet& routes);
/// "SelfDriverSel" clicked: flip the choice and refill "Driver Select".
void selfDriverClicked(Program& program);
/// "Device Sel" changed: select that reader and show its report.
void deviceSelectChanged(Program& program);
/// "ISP_Ena" and "ISP_MS F/W" clicked: flip their flags.
void ispEnableClicked(Program& program);
void msModeClicked(Program& program);
/// "UserISPInfo": read DEVICE.TXT again and show its summary.
void userIspInfoClicked(Program& program);
/// "WIN9xISP".
void ispCommand(Program& program, RouteSet& routes);
/// "WIN9xVER".
void verifyCommand(Program& program, RouteSet& routes);

}  // namespace updater
