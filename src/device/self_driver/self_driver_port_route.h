#pragma once

// The port self driver's route (Windows 98, and Windows ME with
// "SelfDriverSel"): the operator command opens the driver plainly and keeps
// the Windows 98/ME handle; the scan asks the driver for its devices and the
// registry for their drive letters; a run sends the loader's commands as the
// driver's 16-byte records and closes the handle at its end.

#include "device/route.h"
#include "device/self_driver/self_driver.h"
#include "device/self_driver/self_driver_channels.h"

namespace updater {

class SelfDriverPortRoute final : public Route {
 public:
  /// `driver` is the Windows 98/ME handle this route shares with the dynamic
  /// driver's route.
  explicit SelfDriverPortRoute(Driver9x& driver) : driver_(driver), channel_(driver) {}

  AccessRoute id() const override { return AccessRoute::SelfDriverPort; }
  /// What tells this route's runs apart in the sequences.
  static constexpr RouteTraits kTraits = {
    .openFailureText = "",
    .initialTextIsStatusLog = true,
    .dataSent = DataSent::ExactLength,
    .programProgress = {1, 1, 1, 1, 1, 1, 1},
    .pauseBeforeVerifyMs = 0,
    .jumpByte5 = 0x00,
    .statusAnswerLength = 1,
  };
  const RouteTraits& traits() const override { return kTraits; }
  int enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) override;
  int openDriver(std::string_view driverName) override { return driver_.openPort(driverName); }
  void closeDevice() override { driver_.close(); }
  bool startRun(DeviceTable& table, std::string_view driverName, RunSink& sink) override;
  void endRun() override { driver_.close(); }
  CommandChannel& channel() override { return channel_; }

  /// The Memory Stick update talks to the driver's device 0 through this
  /// route's channel and commands.
  Driver9x& driver() { return driver_; }
  void aimAt(std::uint32_t device) { channel_.device = device; }

 private:
  Driver9x& driver_;
  PortDriverChannel channel_;
};

}  // namespace updater
