#include "device/aspi/aspi.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "device/aspi/aspi_drive_letters.h"
#include "device/identify_record.h"
#include "device/slot_assignment.h"

namespace updater {
namespace {

namespace srb = aspi_srb;

constexpr std::string_view kModuleName = "WNASPI32";
constexpr std::string_view kSupportInfoName = "GetASPI32SupportInfo";
constexpr std::string_view kSendCommandName = "SendASPI32Command";
constexpr std::uint8_t kTargetsPerAdapter = 8;

constexpr std::string_view kLoadFailedConsoleLine = "Load WNASPI32.DLL or Get Function Address Fail ";
constexpr std::string_view kStatusErrorText = "Windows ASPI status Error";

constexpr int kFound = 0;
constexpr int kNotFound = 1;

void showPlainBox(RunSink& sink, std::string_view text) { sink.box(text, MessageIcon::None); }

bool waitForPosting(Port& port, const AspiRequest& request, AspiWait wait) {
  std::uint32_t waited = 0;
  while (!request.isDone()) {
    if (waited >= wait.limitMs) return false;
    port.sleep(wait.pollMs);
    waited += wait.pollMs;
  }
  return true;
}

/// The inquiry check at `address`: where the reader that matched is, when
/// one did.
std::optional<AspiAddress> inquire(AspiLayer& aspi, AspiAddress address, const AspiIdentities& identities) {
  AspiRequest& request = aspi.newRequest(aspiInquiryCommand(), address, identities);
  if (!sendAspiRequest(aspi, request, kAspiScanWait)) return std::nullopt;
  const AspiRequestState& state = request.state();
  if (!state.found.load(std::memory_order_relaxed)) return std::nullopt;
  return AspiAddress{state.foundAdapter.load(std::memory_order_relaxed),
                     state.foundTarget.load(std::memory_order_relaxed)};
}

/// Reads the identify block at `address` into `identifyData` (also when it
/// completed with an error status). True when it completed without one.
bool identify(AspiLayer& aspi, AspiAddress address, IdentifyData& identifyData) {
  AspiRequest& request = aspi.newRequest(aspiIdentifyCommand(), address);
  if (!sendAspiRequest(aspi, request, kAspiScanWait)) return false;
  const ConstBytes data = request.data();
  std::copy_n(data.begin(), kIdentifyLength, identifyData.begin());
  return !request.state().error.load(std::memory_order_relaxed);
}

/// One target of the scan; false when the scan has to stop.
bool examineTarget(AspiLayer& aspi, DeviceTable& table, AspiAddress address, const AcceptedIdentities& accepted,
                   RunSink& sink) {
  const std::optional<AspiAddress> match = inquire(aspi, address, {accepted.fa, accepted.fb});
  if (!match) return true;
  // A reader's identify block is read from target 0 of its adapter.
  if (!identify(aspi, {match->adapter, 0}, table.identifyData)) {
    showPlainBox(sink, kStatusErrorText);
    return false;
  }
  assignSlot(table, ScannedUnit::atAspi(match->adapter, match->target));
  return true;
}

/// The entry's inquiry vendor, product and revision, zero bytes left out,
/// zero-filled to the identity's width.
InquiryIdentity inquiryIdentityOf(const DeviceEntry& entry) {
  InquiryIdentity identity{};
  std::size_t length = 0;
  const auto append = [&](const auto& field) {
    for (const char c : field) {
      if (c != '\0') identity[length++] = c;
    }
  };
  append(entry.inqManufacture);
  append(entry.inqProduct);
  append(entry.inqRevision);
  return identity;
}

template <std::size_t N, typename T>
bool samePrefix(const std::array<T, N>& a, const std::array<T, N>& b, std::size_t count) {
  return std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(count), b.begin());
}

/// The fields that tell the reader apart, as the scan recorded them.
bool sameReader(const DeviceEntry& found, const DeviceEntry& selected) {
  return found.strManufacture == selected.strManufacture && found.strProduct == selected.strProduct &&
         found.strSerial == selected.strSerial && found.inqManufacture == selected.inqManufacture &&
         found.inqProduct == selected.inqProduct && found.inqRevision == selected.inqRevision &&
         found.vidPid == selected.vidPid && samePrefix(found.usbFwRevision, selected.usbFwRevision, 4);
}

}  // namespace

// --- Request storage ----------------------------------------------------------

AspiLayer::~AspiLayer() {
  module.reset();
  // The layer may still write into a request it never posted; its memory is
  // given up rather than freed under the layer's feet.
  for (auto& request : requests) {
    if (!request->isDone()) static_cast<void>(request.release());
  }
}

AspiRequest& AspiLayer::newRequest(const AspiCommand& command, AspiAddress address, const AspiIdentities& identities) {
  dropPostedRequests();
  requests.push_back(std::make_unique<AspiRequest>(command, address, identities));
  return *requests.back();
}

void AspiLayer::dropPostedRequests() {
  requests.remove_if([](const std::unique_ptr<AspiRequest>& request) { return request->isDone(); });
}

// --- The layer ----------------------------------------------------------------

std::uint8_t loadAspi(AspiLayer& aspi) {
  if (aspi.supportInfo != EntryPointValue::None && aspi.sendCommand != EntryPointValue::None) return kAspiLoaded;
  Port& port = aspi.port;
  aspi.module = UniqueModule(port, port.loadLibrary(kModuleName));
  if (!aspi.module.isOpen()) return kAspiModuleMissing;
  aspi.supportInfo = port.procAddress(aspi.module.get(), kSupportInfoName);
  aspi.sendCommand = port.procAddress(aspi.module.get(), kSendCommandName);
  if (aspi.supportInfo != EntryPointValue::None && aspi.sendCommand != EntryPointValue::None) return kAspiLoaded;
  releaseAspi(aspi);
  return kAspiEntryPointMissing;
}

std::uint8_t reloadAspi(AspiLayer& aspi) {
  aspi.supportInfo = EntryPointValue::None;
  aspi.sendCommand = EntryPointValue::None;
  return loadAspi(aspi);
}

std::uint32_t aspiAdapterCount(AspiLayer& aspi) {
  const std::uint32_t support = aspi.port.getAspi32SupportInfo(aspi.supportInfo);
  return srb::supportStatus(support) == srb::kComplete ? srb::supportAdapterCount(support) : 0;
}

void releaseAspi(AspiLayer& aspi) {
  aspi.supportInfo = EntryPointValue::None;
  aspi.sendCommand = EntryPointValue::None;
  aspi.module.reset();
  aspi.dropPostedRequests();
}

bool sendAspiRequest(AspiLayer& aspi, AspiRequest& request, AspiWait wait) {
  const EntryPointValue send = aspi.sendCommand;
  if (send == EntryPointValue::None) return false;
  Port& port = aspi.port;
  const DataAddress buffer = port.dataAddress(request.data());
  // A buffer the block cannot name would leave the layer a null pointer.
  if (buffer == 0 && !request.data().empty()) return false;
  request.setBufferAddress(buffer);
  // The immediate status says nothing more than the posting will.
  port.sendAspi32Command(send, request.block(), request);
  return waitForPosting(port, request, wait);
}

// --- The scan -----------------------------------------------------------------

int scanAspi(AspiLayer& aspi, DeviceTable& table, const AcceptedIdentities& accepted, RunSink& sink) {
  if (reloadAspi(aspi) != kAspiLoaded) {
    aspi.port.consoleLine(kLoadFailedConsoleLine);
    showPlainBox(sink, kNoAspiSupportText);
    return kNotFound;
  }
  const std::uint32_t adapters = aspiAdapterCount(aspi);
  if (adapters == 0) {
    releaseAspi(aspi);
    return kNotFound;
  }
  table.selectedIndex = 0;
  for (std::uint32_t adapter = 0; adapter < adapters; ++adapter) {
    for (std::uint8_t target = 0; target < kTargetsPerAdapter; ++target) {
      if (!examineTarget(aspi, table, {static_cast<std::uint8_t>(adapter), target}, accepted, sink)) {
        releaseAspi(aspi);
        return kNotFound;
      }
    }
  }
  readAspiDriveLetters(aspi.port, table);
  table.selectedIndex = 0;
  releaseAspi(aspi);
  return table.deviceCount != 0 ? kFound : kNotFound;
}

int confirmAspiDevice(AspiLayer& aspi, DeviceTable& table, std::uint8_t adapter, std::uint8_t target,
                      RunSink& sink) {
  const DeviceEntry& selected = selectedEntry(table);
  // The selected reader's own identity stands in for both accepted ones.
  const InquiryIdentity identity = inquiryIdentityOf(selected);
  if (!inquire(aspi, {adapter, target}, {identity, identity})) return kNotFound;
  if (!identify(aspi, {adapter, target}, table.identifyData)) {
    showPlainBox(sink, kStatusErrorText);
    return kNotFound;
  }
  // Decoded apart from the table, so no recorded reader is overwritten.
  DeviceTable scratch;
  scratch.identifyData = table.identifyData;
  decodeIdentify(scratch, 0);
  return sameReader(scratch.entries[0], selected) ? kFound : kNotFound;
}

// --- The loader's commands ----------------------------------------------------

bool AspiChannel::execute(VendorCommand& command) {
  AspiRequest& request = aspi_.newRequest(aspiVendorCommand(command), address);
  if (command.direction == Direction::Out) {
    const Bytes data = request.data();
    std::copy_n(command.data.begin(), std::min(command.data.size(), data.size()), data.begin());
  }
  if (!sendAspiRequest(aspi_, request, kAspiVendorWait)) return false;
  if (command.direction == Direction::In && !command.data.empty()) {
    command.data[0] = request.state().status.load(std::memory_order_relaxed);
  }
  return !request.state().error.load(std::memory_order_relaxed);
}

}  // namespace updater
