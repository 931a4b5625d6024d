#include "app/history_columns.h"

#include "app/identity_text.h"
#include "app/program.h"

namespace updater {

std::string unitsText(Program& program, const DeviceEntry& entry) {
  std::string units;
  for (const std::string& drive : driveNames(program.port, entry)) {
    if (!units.empty()) units += ' ';
    units += drive;
  }
  return units;
}

HistoryRecord readerHistoryColumns(Program& program, std::optional<AccessRoute> route) {
  const DeviceEntry& entry = selectedEntry(program.deviceTable);
  HistoryRecord record;
  if (route) record.route = routeName(*route);
  record.units = unitsText(program, entry);
  record.vid = vendorIdText(entry);
  record.pid = productIdText(entry);
  record.usbSerial = usbSerialText(entry);
  record.hwRevision = hardwareRevisionField(entry);
  record.fwRevision = firmwareRevisionText(entry.usbFwRevision);
  record.programVersion = kProgramVersion;
  return record;
}

}  // namespace updater
