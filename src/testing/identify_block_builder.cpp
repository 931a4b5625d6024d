#include "testing/identify_block_builder.h"

#include <algorithm>

namespace updater {
namespace {

void putText(IdentifyData& block, std::size_t offset, const std::string& text) {
  std::copy(text.begin(), text.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
}

template <std::size_t N>
void putBytes(IdentifyData& block, std::size_t offset, const std::array<Byte, N>& bytes) {
  std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

IdentifyData identifyBlock(const ReaderIdentity& identity) {
  IdentifyData block{};
  block[154] = 0xFF;
  block[155] = 0xFF;
  putU16(block, 8, identity.vendorId);
  putU16(block, 10, identity.productId);
  putText(block, 46, identity.manufacturer.substr(0, 24));
  putText(block, 72, identity.product.substr(0, 16));
  const std::string serial = identity.serial.substr(0, 12);
  for (std::size_t i = 0; i < serial.size(); ++i) putU16(block, 98 + 2 * i, static_cast<Byte>(serial[i]));
  putBytes(block, 148, identity.fwRevision);
  putText(block, 156, identity.inqProduct.substr(0, 16));
  putText(block, 176, identity.inqVendor.substr(0, 8));
  putText(block, 184, identity.inqRevision.substr(0, 4));
  const std::string ms = identity.msFwRevision.substr(0, 8);
  for (std::size_t i = 0; i < ms.size(); ++i) block[188 + (i ^ 1)] = static_cast<Byte>(ms[i]);
  putBytes(block, 378, identity.fwRevisionOrg);
  putBytes(block, 382, identity.hwRevision);
  putBytes(block, 520, identity.usb20FwRevision);
  return block;
}

ReaderIdentity sampleReader() {
  ReaderIdentity reader;
  reader.manufacturer = "Kelvaro Technology Corp.";
  reader.product = "USB2.0 CardRead";
  reader.serial = "0123456789AB";
  reader.vendorId = 0x0DDA;
  reader.productId = 0x2026;
  reader.fwRevision = {0x1, 0x2a, 0x03, 0x7, 0x10, 0x09, 0x5c, 0x01};
  reader.inqVendor = "Generic ";
  reader.inqProduct = "USB SD Reader   ";
  reader.inqRevision = "1.00";
  reader.msFwRevision = "MS1.02b7";
  reader.hwRevision = {0x30, 0x46, 'C'};
  reader.fwRevisionOrg = {0x2, 0x0b, 0x71, 0x1f};
  reader.usb20FwRevision = {0xa, 0x00, 0xff, 0x0, 0x01, 0x1f, 0x00, 0xab};
  return reader;
}

}  // namespace updater
