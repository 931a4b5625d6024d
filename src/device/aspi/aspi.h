#pragma once

// The ASPI route of Windows ME: the system's ASPI layer ("WNASPI32"), loaded
// for the length of one operation, addresses readers by host adapter and
// target id. It finds readers by their inquiry identity, reads their drive
// letters from the registry, checks before a run that the selected reader
// is still where it was found, and carries the loader's commands.
//
// Every request completes on the layer's own thread, which calls the
// request's posting routine; the sender polls the request's `done` flag
// with the port's pause, within a time limit.

#include <cstdint>
#include <list>
#include <memory>
#include <string_view>

#include "device/aspi/aspi_request.h"
#include "device/device_table.h"
#include "device/inquiry_identity.h"
#include "isp/run_sink.h"
#include "isp/vendor_command.h"
#include "platform/port_owned.h"

namespace updater {

/// How often and how long the sender waits for a posting.
struct AspiWait {
  std::uint32_t pollMs;
  std::uint32_t limitMs;
};

/// The scan's requests (inquiry, identify).
inline constexpr AspiWait kAspiScanWait{10, 10'000};
/// The loader's commands.
inline constexpr AspiWait kAspiVendorWait{100, 60'000};

/// The route's state: the loaded layer and its two entry points, and the
/// requests the layer may still post.
struct AspiLayer {
  explicit AspiLayer(Port& portIn) : port(portIn) {}
  /// Unloads the layer. A request it never posted is left allocated: the
  /// layer might still write to it.
  ~AspiLayer();
  AspiLayer(const AspiLayer&) = delete;
  AspiLayer& operator=(const AspiLayer&) = delete;

  /// Every request stays here from its send until the layer has posted it
  /// (and the sender has read it), also after the sender gave up waiting.
  Port& port;
  std::list<std::unique_ptr<AspiRequest>> requests;
  UniqueModule module;
  EntryPointValue supportInfo = EntryPointValue::None;
  EntryPointValue sendCommand = EntryPointValue::None;

  /// A new request in this storage; requests already posted are dropped.
  AspiRequest& newRequest(const AspiCommand& command, AspiAddress address, const AspiIdentities& identities = {});
  /// Drops the requests the layer has posted.
  void dropPostedRequests();
};

/// Results of loadAspi.
inline constexpr std::uint8_t kAspiLoaded = 0;
inline constexpr std::uint8_t kAspiModuleMissing = 1;
inline constexpr std::uint8_t kAspiEntryPointMissing = 2;

/// The plain message box shown when the layer cannot be loaded or used.
inline constexpr std::string_view kNoAspiSupportText =
    " No ASPI for WIN32 support detected.\n This program need ASPI in WinMe system.";

/// Loads "WNASPI32" and resolves its two entry points, unless both are
/// already set. 0: usable; 1: the module cannot be loaded; 2: an entry
/// point is missing (the module is unloaded again).
std::uint8_t loadAspi(AspiLayer& aspi);

/// Forgets both entry points and loads the layer afresh (loadAspi).
std::uint8_t reloadAspi(AspiLayer& aspi);

/// Asks the loaded layer (GetASPI32SupportInfo) for its host adapters: their
/// number when the layer's status is SS_COMP, 0 when it is not working.
std::uint32_t aspiAdapterCount(AspiLayer& aspi);

/// Unloads the layer, if loaded, and forgets its entry points.
void releaseAspi(AspiLayer& aspi);

/// Sends `request` through the loaded layer and waits for its posting.
/// True when it was posted within the wait; false when it could not be sent
/// or the time ran out (the request then stays in the route's storage until
/// the layer posts it).
bool sendAspiRequest(AspiLayer& aspi, AspiRequest& request, AspiWait wait);

/// Scans every host adapter, targets 0 to 7, for readers with either
/// accepted inquiry identity, records them in `table` by serial number and
/// reads their drive letters. Loads the layer at its start and unloads it at
/// its end; a layer that cannot be loaded or fails shows its box through
/// `sink`. 0 when at least one reader was recorded, 1 otherwise.
int scanAspi(AspiLayer& aspi, DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink);

/// Checks that the reader at `adapter`/`target` is the table's selected one:
/// its inquiry identity and identify data equal the selected entry's. 0 when
/// it is, 1 otherwise. Needs the layer loaded; reads into the table's
/// identify buffer but leaves its entries as they were.
int confirmAspiDevice(AspiLayer& aspi, DeviceTable& table, std::uint8_t adapter, std::uint8_t target,
                      RunSink& sink);

/// The loader's commands to the reader at `address`, through the loaded
/// layer.
class AspiChannel : public CommandChannel {
 public:
  explicit AspiChannel(AspiLayer& aspi) : aspi_(aspi) {}
  bool execute(VendorCommand& command) override;

  AspiAddress address;

 private:
  AspiLayer& aspi_;
};

}  // namespace updater
