#pragma once

// The resources of the Windows programs, shared by the resource script and
// the code. Plain defines, because the resource compiler reads this file too.

#define UPDATER_MAIN_DIALOG 102
#define UPDATER_STATUS_DIALOG 131
#define UPDATER_ICON 128

// Controls the code reaches that the portable core does not name.
#define UPDATER_STATUS_TEXT 1019
#define UPDATER_STATUS_LABEL 1014
#define UPDATER_STATUS_BAR_PLACE 1015
#define UPDATER_STATUS_BAR 333
