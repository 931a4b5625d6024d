#include "device/self_driver/self_driver_nt_route.h"

namespace updater {

int SelfDriverNtRoute::enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink&) {
  return scanDrives(drive_, table, DriveScanIdentity::SelfDriverNt, accepted);
}

bool SelfDriverNtRoute::startRun(DeviceTable&, std::string_view driverName, RunSink&) {
  return driver_.open(driverName, false) == 0;
}

}  // namespace updater
