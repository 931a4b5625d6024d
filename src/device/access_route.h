#pragma once

namespace updater {

/// The way vendor commands travel to a reader. Never stored: derived at every
/// operation from the Windows family, the self-driver check box and the
/// driver kind.
enum class AccessRoute {
  PassThrough,        // SCSI pass-through on the reader's drive letter
  SelfDriverNt,       // the NT self driver, opened by name
  SelfDriverPort,     // the port self driver of Windows 98/ME
  SelfDriverDynamic,  // the dynamic self driver of Windows 98/ME
  Aspi,               // the system ASPI layer of Windows ME
};

/// The route's name as transcripts print it.
const char* routeName(AccessRoute route);

}  // namespace updater
