#include "device/aspi/aspi_route.h"

namespace updater {

int AspiRoute::enumerate(DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) {
  return scanAspi(layer_, table, accepted, sink);
}

bool AspiRoute::refuse(RunSink& sink, std::string_view logLine, bool showBox) {
  sink.appendLine(logLine);
  sink.noteFailure(logLine);
  if (showBox) sink.box(kNoAspiSupportText, MessageIcon::None);
  releaseAspi(layer_);
  return false;
}

bool AspiRoute::startRun(DeviceTable& table, std::string_view, RunSink& sink) {
  if (reloadAspi(layer_) != kAspiLoaded) {
    return refuse(sink, "Load WNASPI32.DLL or Get Function Address Fail!!!", true);
  }
  if (aspiAdapterCount(layer_) == 0) return refuse(sink, "No ASPI for WIN32 support detected!!!", true);
  const DeviceEntry& selected = selectedEntry(table);
  if (confirmAspiDevice(layer_, table, selected.aspiAdapter, selected.aspiTarget, sink) != 0) {
    return refuse(sink, "ERROR: Access Disk Drive Failed!!!", false);
  }
  channel_.address = {selected.aspiAdapter, selected.aspiTarget};
  return true;
}

}  // namespace updater
