#pragma once

// The dynamic self driver's route (Windows 98 with "KV20DISK.PDR" chosen):
// the operator command opens the driver with delete-on-close, so the system
// unloads it with its last handle; the scan asks the driver for its devices
// (and closes the handle at its end) and the registry for their drive
// letters; a run sends the loader's command blocks in the driver's 40-byte
// records and closes the handle at its end.

#include "device/route.h"
#include "device/self_driver/self_driver.h"
#include "device/self_driver/self_driver_channels.h"

namespace updater {

class SelfDriverDynamicRoute final : public Route {
 public:
  /// `driver` is the Windows 98/ME handle this route shares with the port
  /// driver's route.
  explicit SelfDriverDynamicRoute(Driver9x& driver) : driver_(driver), channel_(driver) {}

  AccessRoute id() const override { return AccessRoute::SelfDriverDynamic; }
  /// What tells this route's runs apart in the sequences.
  static constexpr RouteTraits kTraits = {
    .openFailureText = "",
    .initialTextIsStatusLog = true,
    .dataSent = DataSent::PaddedFromBuffer,
    .programProgress = {1, 1, 1, 1, 1, 1, 1},
    .pauseBeforeVerifyMs = 0,
    .jumpByte5 = 0x08,
    .statusAnswerLength = 28,
  };
  const RouteTraits& traits() const override { return kTraits; }
  int enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) override;
  int openDriver(std::string_view driverName) override { return driver_.openDynamic(driverName); }
  void closeDevice() override { driver_.close(); }
  bool startRun(DeviceTable& table, std::string_view driverName, RunSink& sink) override;
  void endRun() override { driver_.close(); }
  CommandChannel& channel() override { return channel_; }

 private:
  Driver9x& driver_;
  DynamicDriverChannel channel_;
};

}  // namespace updater
