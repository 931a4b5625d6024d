#pragma once

// The pass-through route's part in the programming and verify sequences:
// a run opens the selected reader's first drive letter, sends the loader's
// commands on it, and closes it again.

#include "device/pass_through.h"
#include "isp/route_binding.h"

namespace updater {

class PassThroughBinding : public RouteBinding {
 public:
  explicit PassThroughBinding(Program& program) : channel_(program) {}

  const RouteTraits& traits() const override { return routeTraits(AccessRoute::PassThrough); }
  bool start(Program& program) override { return openSelectedDrive(program) == 0; }
  void end(Program& program) override { closeDrive(program); }
  CommandChannel& channel() override { return channel_; }

 private:
  PassThroughChannel channel_;
};

}  // namespace updater
