#include "tools/demo_files.h"

#include <algorithm>
#include <string_view>

#include "jobs/scramble.h"

namespace updater {
namespace {

constexpr std::size_t kAddressWords = 5;
constexpr Byte kImageType = 6;

// Offsets inside the identity block, as the patch step writes them.
constexpr std::size_t kManufacturerAt = 28;
constexpr std::size_t kProductAt = 54;
constexpr std::size_t kSerialCharsAt = 80;
constexpr std::size_t kVendorIdAt = 138;
constexpr std::size_t kProductIdAt = 140;
constexpr std::size_t kInquiryRevisionAt = 148;
constexpr std::size_t kInquiryVendorAt = 156;
constexpr std::size_t kInquiryProductAt = 164;
constexpr std::size_t kDeviceSettingAt = 182;
constexpr std::size_t kDeviceSettingCount = 26;
constexpr std::size_t kSerialDescriptorSize = 26;
constexpr std::size_t kSerialChars = 12;

/// A fixed pseudo-random byte stream (xorshift32): stands in for code.
class ByteStream {
 public:
  explicit ByteStream(std::uint32_t seed) : state_(seed) {}
  Byte next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<Byte>(state_ >> 24);
  }

 private:
  std::uint32_t state_;
};

void putText(Bytes out, std::size_t offset, std::string_view text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    putU8(out, offset + i, static_cast<Byte>(i < text.size() ? text[i] : ' '));
  }
}

/// The identity block as a reader leaves the factory with it: the strings a
/// generic reader reports, no device settings, serial "000000000000".
void putFactoryIdentity(Bytes block) {
  putText(block, kManufacturerAt, "Generic", 24);
  putText(block, kProductAt, "Card Reader", 24);
  for (std::size_t k = 0; k < kSerialChars; ++k) putU8(block, kSerialCharsAt + 2 * k, '0');
  putU16(block, kVendorIdAt, 0x1234);
  putU16(block, kProductIdAt, 0x5678);
  putText(block, kInquiryRevisionAt, "1.00", 4);
  putText(block, kInquiryVendorAt, "Generic", 8);
  putText(block, kInquiryProductAt, "USB Card Reader", 16);
  for (std::size_t i = 0; i < kDeviceSettingCount; ++i) putU8(block, kDeviceSettingAt + i, 0xFF);

  const std::size_t descriptor = std::size_t{kDemoAddress.serialSlot} * kDemoAddress.slotSize;
  putU8(block, descriptor, static_cast<Byte>(kSerialDescriptorSize));
  putU8(block, descriptor + 1, 0x03);
  for (std::size_t k = 0; k < kSerialChars; ++k) putU8(block, descriptor + 2 + 2 * k, '0');
}

/// The unscrambled body: code-like bytes, the identity window, and an empty
/// (all 0xFF) place for the BmpMap that the jobs fill from the BmpMap file.
std::vector<Byte> plainBody() {
  std::vector<Byte> body(kDemoImageLength - kScrambledHeadLength);
  ByteStream code(0x4023C0DE);
  std::generate(body.begin(), body.end(), [&code] { return code.next(); });

  const Bytes window = Bytes(body).subspan(kDemoAddress.blockOffset, kDemoAddress.plainLength);
  std::fill(window.begin(), window.end(), Byte{0});
  putFactoryIdentity(window);

  const Bytes bmpMapPlace = Bytes(body).subspan(kDemoAddress.bmpMapOffset, kBmpMapSize);
  std::fill(bmpMapPlace.begin(), bmpMapPlace.end(), Byte{0xFF});
  return body;
}

std::vector<Byte> demoImage() {
  std::vector<Byte> image(kDemoImageLength, 0);
  putU8(image, kImageTypeOffset, kImageType);
  putU8(image, kEncodingMarkOffset, kScrambledMark);
  putText(image, 2, "DEMO", 4);  // the rest of the head, which no job reads
  const std::vector<Byte> body = plainBody();
  const ScrambleWindow window{kDemoAddress.blockOffset, kDemoAddress.plainLength};
  // The destination is exactly as long as the body, so this cannot fail.
  if (!scramble(body, Bytes(image).subspan(kScrambledHeadLength), window)) image.clear();
  return image;
}

std::vector<Byte> demoAddressFile() {
  std::vector<Byte> words(kAddressWords * 4);
  const std::uint32_t values[kAddressWords] = {kDemoAddress.blockOffset, kDemoAddress.serialSlot,
                                               kDemoAddress.slotSize, kDemoAddress.plainLength,
                                               kDemoAddress.bmpMapOffset};
  for (std::size_t i = 0; i < kAddressWords; ++i) putU32(words, 4 * i, values[i]);
  return words;
}

/// A map of 5,120 blocks, one bit each, a few of them marked bad (bit clear).
std::vector<Byte> demoBmpMap() {
  std::vector<Byte> map(kBmpMapSize, 0xFF);
  for (std::size_t bad : {17u, 300u, 1029u, 2048u, 4095u, 5003u}) {
    map[bad / 8] = static_cast<Byte>(map[bad / 8] & ~(1u << (bad % 8)));
  }
  return map;
}

std::vector<Byte> demoMsFirmware() {
  std::vector<Byte> firmware(kDemoMsFirmwareLength);
  ByteStream code(0x3210CAFE);
  std::generate(firmware.begin(), firmware.end(), [&code] { return code.next(); });
  return firmware;
}

}  // namespace

DemoFiles makeDemoFiles() { return {demoImage(), demoAddressFile(), demoBmpMap(), demoMsFirmware()}; }

}  // namespace updater
