#pragma once

// The main window's own steps: start-up (the Windows family, DEVICE.TXT, the
// resets, the driver list and a first scan), the driver list fill, and the
// "Close" step. The command handlers are in operator_commands.h.

namespace updater {

struct Program;
class RouteSet;

/// Runs the window's initialisation. Returns false when the program refuses
/// to run on this Windows (after its two warning boxes); the window then
/// ends at once.
bool initialiseMainWindow(Program& program, RouteSet& routes);

/// Fills "Driver Select" and its label for the Windows family and the
/// "SelfDriverSel" choice. The list is not emptied here.
void fillDriverList(Program& program);

/// The "Close" button: releases the current route's handle. The window then
/// ends.
void closeMainWindow(Program& program, RouteSet& routes);

}  // namespace updater
