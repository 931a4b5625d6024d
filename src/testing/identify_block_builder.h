#pragma once

// Identify blocks for tests, written from a reader's identity the way a
// reader lays them out. Offsets are spelled out here on purpose, apart from
// the decoder's, so that a wrong offset on either side shows.

#include <array>
#include <cstdint>
#include <string>

#include "device/device_table.h"

namespace updater {

struct ReaderIdentity {
  std::string manufacturer;  // up to 24 characters
  std::string product;       // up to 16
  std::string serial;        // up to 12, written as UTF-16LE
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::array<Byte, 8> fwRevision{};
  std::string inqVendor;    // up to 8
  std::string inqProduct;   // up to 16
  std::string inqRevision;  // up to 4
  std::string msFwRevision;  // up to 8, in reading order; stored pairwise swapped
  std::array<Byte, 3> hwRevision{};
  std::array<Byte, 4> fwRevisionOrg{};
  std::array<Byte, 8> usb20FwRevision{};
};

/// A cleared identify buffer (OEM and CEM bytes 0xFF) overwritten with
/// `identity` as a reader answers.
IdentifyData identifyBlock(const ReaderIdentity& identity);

/// A complete identity of a "3046" 'C' reader with every field filled.
ReaderIdentity sampleReader();

}  // namespace updater
