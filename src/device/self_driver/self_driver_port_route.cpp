#include "device/self_driver/self_driver_port_route.h"

#include "device/self_driver/self_driver_scan.h"

namespace updater {

int SelfDriverPortRoute::enumerate(DeviceTable& table, const AcceptedIdentities&, RunSink&) {
  return scanSelfDriver(driver_, AccessRoute::SelfDriverPort, table);
}

// The operator command opened the driver before the job.
bool SelfDriverPortRoute::startRun(DeviceTable& table, std::string_view, RunSink&) {
  aimAt(table.selectedIndex);
  return true;
}

}  // namespace updater
