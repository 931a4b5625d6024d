#pragma once

// The NT self driver's route (Windows 2000 with "SelfDriverSel"): readers
// are found by the drive-letter scan, accepting the driver's fixed inquiry
// identity; the operator command only proves the driver is installed (it
// opens and closes it); a run opens the driver by name, sends the loader's
// commands in the driver's 65,552-byte record, and closes it again.

#include "device/pass_through/pass_through.h"
#include "device/route.h"
#include "device/self_driver/self_driver.h"
#include "device/self_driver/self_driver_channels.h"

namespace updater {

class SelfDriverNtRoute final : public Route {
 public:
  explicit SelfDriverNtRoute(Port& port) : drive_(port), driver_(port), channel_(driver_) {}

  AccessRoute id() const override { return AccessRoute::SelfDriverNt; }
  /// What tells this route's runs apart in the sequences.
  static constexpr RouteTraits kTraits = {
    .openFailureText = "ERROR: Loading UdskIO.Sys is Failed!!!",
    .initialTextIsStatusLog = false,
    .dataSent = DataSent::ExactLength,
    .programProgress = {3, 2, 1, 2, 3, 1, 0},
    .pauseBeforeVerifyMs = 0,
    .jumpByte5 = 0x00,
    .statusAnswerLength = 1,
  };
  const RouteTraits& traits() const override { return kTraits; }
  int enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) override;
  int openDriver(std::string_view driverName) override { return driver_.open(driverName, true); }
  /// What stays open between commands is the drive handle of the scan; the
  /// driver's own handle is the run's.
  void closeDevice() override { drive_.close(); }
  bool startRun(DeviceTable& table, std::string_view driverName, RunSink& sink) override;
  void endRun() override { driver_.close(); }
  CommandChannel& channel() override { return channel_; }

 private:
  PassThroughDrive drive_;
  NtDriver driver_;
  NtDriverChannel channel_;
};

}  // namespace updater
