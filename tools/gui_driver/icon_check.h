#pragma once

// Checks the icon reading on message boxes of the driver's own, one per icon,
// before it is trusted with the program's: a box is shown on a second thread
// and read from the first as the program's boxes are.

#include <iosfwd>

namespace gui_driver {

/// Shows a box with each icon, prints what was read, and returns true when
/// every icon was read as the one shown.
bool checkIconReading(std::ostream& out);

}  // namespace gui_driver
