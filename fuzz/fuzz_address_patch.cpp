// Any address file, image head, image length and reader revision through the
// address parse, the BmpMap insertion, the patch and the compatibility check.
// Nothing is ever written beyond the image's length; a refused patch leaves
// the image as it was; the check answers with one of its three texts.
//
// Input: a fixed-size control block, then the address file's bytes (as many
// as the control block says), then bytes for the start of the image.
//
//   0      reader: below 24 picks a known revision, else bytes 1..3 are taken
//   1..3   the three revision bytes (code high, code low, letter)
//   4      imageType
//   5      encodingMark
//   6..7   image length - 1, little-endian (1 to 65,536)
//   8      flags: bit 0 serialActive, 1 deviceSettingActive, 2 ids and
//          inquiry data active, 3 USB strings given, 4 BmpMap loaded,
//          5 the address file read with its BmpMap words
//   9      address file length (0 to 24)

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/hardware_revision.h"
#include "jobs/image_compatibility.h"
#include "jobs/image_files.h"
#include "jobs/image_patch.h"

namespace {

using namespace updater;

void require(bool condition) {
  if (!condition) std::abort();
}

constexpr std::size_t kControlSize = 10;
constexpr std::size_t kMaxAddressFile = 24;

constexpr HardwareRevision kKnownRevisions[] = {
    {0x30, 0x46, 'C'}, {0x30, 0x86, 'C'}, {0x30, 0x17, 'G'}, {0x30, 0x71, 'A'}, {0x40, 0x53, 'A'},
    {0x40, 0x57, 'A'}, {0x40, 0x13, 'A'}, {0x41, 0x13, 'A'}, {0x41, 0x29, 'A'}, {0x41, 0x61, 'A'},
    {0x40, 0x23, 'A'}, {0x40, 0x64, 'A'}, {0x41, 0x37, 'A'}, {0x41, 0x65, 'A'}, {0x41, 0x68, 'A'},
    {0x41, 0x66, 'A'}, {0x41, 0x47, 'A'}, {0x43, 0x91, 'A'}, {0x41, 0x48, 'A'}, {0x30, 0x46, 'G'},
    {0x00, 0x00, 0x00}, {0x30, 0x86, 'A'}, {0x40, 0x23, 'C'}, {0x41, 0x13, 'C'},
};

UserIspData identityFrom(std::uint8_t flags) {
  UserIspData data;
  data.serialActive = (flags & 0x01) != 0;
  data.serialString.fill('S');
  data.deviceSettingActive = (flags & 0x02) != 0;
  data.deviceSetting.fill(0xD5);
  const bool ids = (flags & 0x04) != 0;
  data.vendorIdActive = data.productIdActive = ids;
  data.inquiryVendorActive = data.inquiryProductActive = data.inquiryRevisionActive = ids;
  data.vendorId = 0x1234;
  data.productId = 0x5678;
  const bool strings = (flags & 0x08) != 0;
  data.manufacturerLength = strings ? 24 : 0;
  data.productLength = strings ? 7 : 0;
  data.manufacturerString.fill('M');
  data.productString.fill('P');
  return data;
}

// The checks use the C library's block functions: element loops over 64 KiB
// would dominate a sanitizer build's time per input.
bool tailIsZero(const FirmwareImage& firmware) {
  static const std::array<Byte, kImageBufferSize> zeros{};
  return std::memcmp(firmware.image.data() + firmware.length, zeros.data(), kImageBufferSize - firmware.length) == 0;
}

void fillImage(FirmwareImage& firmware, ConstBytes pattern) {
  std::memset(firmware.image.data(), 0, firmware.image.size());
  if (pattern.empty()) return;
  for (std::size_t at = 0; at < firmware.length; at += pattern.size()) {
    std::memcpy(firmware.image.data() + at, pattern.data(), std::min<std::size_t>(pattern.size(), firmware.length - at));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kControlSize) return 0;
  const std::uint8_t* control = data;
  const std::size_t addressLength = std::min<std::size_t>(control[9], kMaxAddressFile);
  if (size < kControlSize + addressLength) return 0;
  const ConstBytes addressFile(data + kControlSize, addressLength);
  const ConstBytes imageStart(data + kControlSize + addressLength, size - kControlSize - addressLength);

  const HardwareRevision revision = control[0] < std::size(kKnownRevisions)
                                        ? kKnownRevisions[control[0]]
                                        : HardwareRevision{control[1], control[2], control[3]};
  const std::string revisionText = hardwareRevisionText(revision);
  const std::uint8_t flags = control[8];

  // One image buffer for every input, as the program keeps one.
  static FirmwareImage firmware;
  firmware.length = 1u + getU16(ConstBytes(control, kControlSize), 6);
  fillImage(firmware, imageStart);
  firmware.image[0] = control[4];
  if (firmware.length > 1) firmware.image[1] = control[5];
  firmware.bmpMap.fill(0xB3);

  const RevisionGroups groups = revisionGroupsOf(revisionText);
  const AddressWords words =
      (flags & 0x20) != 0 || groups.readsBmpMapWords ? AddressWords::WithBmpMap : AddressWords::IdentityOnly;
  const std::optional<AddressRecord> address = parseAddressRecord(addressFile, words);
  require(address.has_value() == (addressFile.size() >= 12));
  if (address && address->bmpMapOffset != 0) {
    require(address->bmpMapOffset >= 0x1FF && address->bmpMapOffset <= 0xFE00);
  }

  if (address && address->bmpMapOffset != 0 && (flags & 0x10) != 0) {
    const ImageHead headBefore = imageHead(firmware);
    insertBmpMap(firmware, *address);
    const ImageHead headAfter = imageHead(firmware);
    require(headBefore.imageType == headAfter.imageType && headBefore.encodingMark == headAfter.encodingMark);
    require(tailIsZero(firmware));
  }

  const std::vector<Byte> before(firmware.image.begin(), firmware.image.begin() + firmware.length);
  const UserIspData identity = identityFrom(flags);
  const SerialDescriptor descriptor = serialDescriptor({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B'});
  const PatchResult result = patchImage(firmware, address, identity, descriptor);
  require(tailIsZero(firmware));
  if (result != PatchResult::Patched) {
    require(std::memcmp(before.data(), firmware.image.data(), before.size()) == 0);
  }
  if (!address) require(result != PatchResult::OutOfRange);

  const auto mismatch = checkImageMatchesDevice(imageHead(firmware), revisionText, revision);
  if (mismatch) {
    require(*mismatch == "nError!!! HardWare version not correct!!!" ||
            *mismatch == "nError!!! This Firmware not correct!!!" ||
            *mismatch == "nError!!! Firmware encoding not correct!!!");
  }
  return 0;
}
