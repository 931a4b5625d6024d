#include "device/pass_through/pass_through_route.h"

namespace updater {

int PassThroughRoute::enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink&) {
  drive_.close();
  return scanDrives(drive_, table, DriveScanIdentity::Accepted, accepted);
}

bool PassThroughRoute::startRun(DeviceTable& table, std::string_view, RunSink&) {
  return openSelectedDrive(drive_, table) == 0;
}

}  // namespace updater
