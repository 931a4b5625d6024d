#pragma once

// The demo's firmware files, made from nothing but this code: a synthetic
// controller image of type 6 (scrambled, mark 0xFE) for readers of hardware
// revision "4023", its address file, its 640-byte BmpMap, and a Memory Stick
// firmware. The demo machine's compare skips and the demo DEVICE.TXT are
// written against the layout below, so it does not change lightly.

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "jobs/firmware_image.h"

namespace updater {

inline constexpr std::string_view kDemoImageName = "DEMOFW.BIN";
inline constexpr std::string_view kDemoAddressName = "DEMOFW.adr";
inline constexpr std::string_view kDemoBmpMapName = "BMPMAP.BIN";
inline constexpr std::string_view kDemoMsFirmwareName = "DEMOMS.BIN";

inline constexpr std::uint32_t kDemoImageLength = 32000;
inline constexpr std::uint32_t kDemoMsFirmwareLength = 8192;

/// Where the demo image keeps its identity data. The identity block and the
/// serial descriptor both lie inside the plain window, so patching them
/// leaves every scrambled byte as it is.
inline constexpr AddressRecord kDemoAddress{
    .blockOffset = 0x1000,
    .serialSlot = 5,
    .slotSize = 0x40,
    .plainLength = 0x200,
    .bmpMapOffset = 0x6000,
};

struct DemoFiles {
  std::vector<Byte> image;
  std::vector<Byte> address;
  std::vector<Byte> bmpMap;
  std::vector<Byte> msFirmware;
};

/// The four files, the same bytes on every call and every host.
DemoFiles makeDemoFiles();

}  // namespace updater
