#pragma once

// The self-driver routes' part in the programming and verify sequences. The
// NT driver is opened for each run and closed after it; the Windows 98/ME
// driver was opened by the operator command before the job, so a run only
// closes it.

#include "device/self_driver.h"
#include "device/self_driver_channels.h"
#include "isp/route_binding.h"

namespace updater {

class SelfDriverNtBinding : public RouteBinding {
 public:
  explicit SelfDriverNtBinding(Program& program) : channel_(program) {}

  const RouteTraits& traits() const override { return routeTraits(AccessRoute::SelfDriverNt); }
  bool start(Program& program) override { return openNtDriver(program, false) == 0; }
  void end(Program& program) override { closeNtDriver(program); }
  CommandChannel& channel() override { return channel_; }

 private:
  NtDriverChannel channel_;
};

class SelfDriverPortBinding : public RouteBinding {
 public:
  explicit SelfDriverPortBinding(Program& program) : channel_(program) {}

  const RouteTraits& traits() const override { return routeTraits(AccessRoute::SelfDriverPort); }
  bool start(Program&) override { return true; }
  void end(Program& program) override { closeDriver9x(program); }
  CommandChannel& channel() override { return channel_; }

 private:
  PortDriverChannel channel_;
};

class SelfDriverDynamicBinding : public RouteBinding {
 public:
  explicit SelfDriverDynamicBinding(Program& program) : channel_(program) {}

  const RouteTraits& traits() const override { return routeTraits(AccessRoute::SelfDriverDynamic); }
  bool start(Program&) override { return true; }
  void end(Program& program) override { closeDriver9x(program); }
  CommandChannel& channel() override { return channel_; }

 private:
  DynamicDriverChannel channel_;
};

}  // namespace updater
