#pragma once

// The ASPI route of Windows ME without a self driver: the system's ASPI
// layer is loaded for the length of one operation. The scan asks every host
// adapter's targets for a reader with an accepted inquiry identity; a run
// loads the layer, checks that the selected reader is still at its adapter
// and target, sends the loader's commands there, and unloads the layer.

#include "device/aspi/aspi.h"
#include "device/route.h"

namespace updater {

class AspiRoute final : public Route {
 public:
  explicit AspiRoute(Port& port) : layer_(port), channel_(layer_) {}

  AccessRoute id() const override { return AccessRoute::Aspi; }
  /// What tells this route's runs apart in the sequences.
  static constexpr RouteTraits kTraits = {
    .openFailureText = "",
    .initialTextIsStatusLog = false,
    .dataSent = DataSent::PaddedFromBuffer,
    .programProgress = {3, 2, 0, 0, 0, 1, 0},
    .pauseBeforeVerifyMs = 3000,
    .jumpByte5 = 0x08,
    .statusAnswerLength = 28,
  };
  const RouteTraits& traits() const override { return kTraits; }
  int enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) override;
  /// Reports its own failures (StatusLog lines and, when the layer is
  /// missing or not working, a plain message box).
  bool startRun(DeviceTable& table, std::string_view driverName, RunSink& sink) override;
  void endRun() override { releaseAspi(layer_); }
  CommandChannel& channel() override { return channel_; }

  /// The layer, for the tests that look at single requests.
  AspiLayer& layer() { return layer_; }

 private:
  bool refuse(RunSink& sink, std::string_view logLine, bool showBox);

  AspiLayer layer_;
  AspiChannel channel_;
};

}  // namespace updater
