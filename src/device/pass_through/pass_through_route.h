#pragma once

// The pass-through route of Windows 2000 without a self driver and of
// Windows XP and Vista: the reader's drive letters are found by a scan of
// every drive, and a run opens the selected reader's first drive letter,
// sends the loader's commands on it as SCSI pass-through requests, and
// closes it again.

#include "device/pass_through/pass_through.h"
#include "device/route.h"

namespace updater {

class PassThroughRoute final : public Route {
 public:
  explicit PassThroughRoute(Port& port) : drive_(port), channel_(drive_) {}

  AccessRoute id() const override { return AccessRoute::PassThrough; }
  /// What tells this route's runs apart in the sequences.
  static constexpr RouteTraits kTraits = {
    .openFailureText = "ERROR: Access Disk Drive Failed!!!",
    .initialTextIsStatusLog = false,
    .dataSent = DataSent::PaddedWithZeros,
    .programProgress = {3, 2, 2, 2, 2, 4, 0},
    .pauseBeforeVerifyMs = 0,
    .jumpByte5 = 0x00,
    .statusAnswerLength = 8,
  };
  const RouteTraits& traits() const override { return kTraits; }
  int enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) override;
  void closeDevice() override { drive_.close(); }
  bool startRun(DeviceTable& table, std::string_view driverName, RunSink& sink) override;
  void endRun() override { drive_.close(); }
  CommandChannel& channel() override { return channel_; }

  /// The carrier, for the tests that look at single requests.
  PassThroughDrive& drive() { return drive_; }

 private:
  PassThroughDrive drive_;
  PassThroughChannel channel_;
};

}  // namespace updater
