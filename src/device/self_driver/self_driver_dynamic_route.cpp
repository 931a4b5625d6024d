#include "device/self_driver/self_driver_dynamic_route.h"

#include "device/self_driver/self_driver_scan.h"

namespace updater {

int SelfDriverDynamicRoute::enumerate(DeviceTable& table, const AcceptedIdentities&, RunSink&) {
  return scanSelfDriver(driver_, AccessRoute::SelfDriverDynamic, table);
}

// The operator command opened the driver before the job.
bool SelfDriverDynamicRoute::startRun(DeviceTable& table, std::string_view, RunSink&) {
  channel_.device = table.selectedIndex;
  return true;
}

}  // namespace updater
