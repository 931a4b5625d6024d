#include "jobs/image_patch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "jobs/scramble.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

template <std::size_t N>
std::array<char, N> field(std::string_view text, char pad) {
  std::array<char, N> out;
  out.fill(pad);
  std::copy(text.begin(), text.end(), out.begin());
  return out;
}

// Every identity item given.
UserIspData fullIdentity() {
  UserIspData data;
  data.vendorId = 0x1234;
  data.vendorIdActive = true;
  data.productId = 0xABCD;
  data.productIdActive = true;
  data.manufacturerString = field<24>("Maker", ' ');
  data.manufacturerLength = 5;
  data.productString = field<24>("Reader", ' ');
  data.productLength = 6;
  data.serialString = field<12>("SN0123456789", '\0');
  data.inquiryVendor = field<8>("VENDOR", ' ');
  data.inquiryVendorActive = true;
  data.inquiryProduct = field<16>("CARD READER", ' ');
  data.inquiryProductActive = true;
  data.inquiryRevision = field<4>("1.00", ' ');
  data.inquiryRevisionActive = true;
  for (std::size_t i = 0; i < data.deviceSetting.size(); ++i) data.deviceSetting[i] = static_cast<Byte>(0xC0 + i);
  data.deviceSettingActive = true;
  return data;
}

const SerialDescriptor kDescriptor = serialDescriptor(field<12>("127C19340005", '\0'));

void put(std::vector<Byte>& image, std::size_t at, std::string_view text) {
  std::copy(text.begin(), text.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

void put(std::vector<Byte>& image, std::size_t at, std::initializer_list<Byte> bytes) {
  std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

void putDescriptor(std::vector<Byte>& image, std::size_t at, std::string_view serial) {
  put(image, at, {0x1A, 0x03});
  for (std::size_t k = 0; k < 12; ++k) put(image, at + 2 + 2 * k, {static_cast<Byte>(serial[k]), 0x00});
}

// The identity block of fullIdentity() as a reader's firmware expects it.
void putIdentityBlock(std::vector<Byte>& image, std::size_t b, bool newStyle, bool settings) {
  if (newStyle) put(image, b + 26, {0x0C});  // (5 + 1) * 2
  put(image, b + 28, "Maker                   ");
  if (newStyle) put(image, b + 52, {0x0E});  // (6 + 1) * 2
  put(image, b + 54, "Reader                  ");
  put(image, b + 138, {0x34, 0x12, 0xCD, 0xAB});
  put(image, b + 148, "1.00");
  put(image, b + 156, "VENDOR  CARD READER     ");
  if (settings) {
    for (Byte i = 0; i < 26; ++i) put(image, b + 182 + i, {static_cast<Byte>(0xC0 + i)});
  }
}

constexpr std::uint32_t kLength = 2048;
constexpr AddressRecord kAddress{0x100, 3, 0x80, 0, 0};  // descriptor 0x180 after the block

class PatchImage : public ::testing::Test {
 protected:
  void load(Byte type, Byte mark, std::uint32_t length = kLength) {
    original = testImage(length, 9);
    original[0] = type;
    original[1] = mark;
    std::fill(firmware.image.begin(), firmware.image.end(), Byte{0});
    std::copy(original.begin(), original.end(), firmware.image.begin());
    firmware.length = length;
  }

  std::vector<Byte> patched() const {
    return std::vector<Byte>(firmware.image.begin(), firmware.image.begin() + firmware.length);
  }

  FirmwareImage firmware;
  std::vector<Byte> original;
};

TEST(ImageClass, FollowsTypeAndMark) {
  struct Row {
    Byte type, mark;
    ImageClass imageClass;
  };
  const Row rows[] = {
      {4, 0xFC, ImageClass::PlainBlock},     {4, 0xFE, ImageClass::Other},
      {1, 0xFE, ImageClass::ScrambledBlock}, {2, 0xFE, ImageClass::ScrambledBlock},
      {5, 0xFE, ImageClass::ScrambledBlock}, {6, 0xFE, ImageClass::ScrambledBlock},
      {6, 0xFC, ImageClass::Other},          {3, 0xFE, ImageClass::NoPatch},
      {7, 0xFE, ImageClass::NoPatch},        {8, 0xFE, ImageClass::NoPatch},
      {9, 0xFE, ImageClass::NoPatch},        {0x12, 0xFE, ImageClass::Other},
      {0, 0x00, ImageClass::Other},          {10, 0xFE, ImageClass::Other},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(imageClassOf({row.type, row.mark}), row.imageClass)
        << "type " << int(row.type) << " mark " << int(row.mark);
  }
}

TEST(SerialDescriptorLayout, IsAUsbStringDescriptorOfTwelveCharacters) {
  const SerialDescriptor expected{0x1A, 0x03, '1', 0, '2', 0, '7', 0, 'C', 0, '1', 0, '9', 0, '3',
                                  0,    '4',  0,   '0', 0, '0', 0, '0', 0, '5', 0};
  EXPECT_EQ(kDescriptor, expected);
}

struct LayoutRow {
  const char* name;
  Byte type, mark;
  bool serialActive;
  std::size_t blockStart;  // 0: no identity block
  bool newStyle, settings;
  const char* descriptorSerial;  // nullptr: no descriptor
};

TEST_F(PatchImage, EachClassWritesItsOwnLayout) {
  const LayoutRow rows[] = {
      {"type 1: new style", 1, 0xFE, false, 0x106, true, false, "127C19340005"},
      {"type 2: new style", 2, 0xFE, false, 0x106, true, false, "127C19340005"},
      {"type 5: old style, no settings", 5, 0xFE, false, 0x106, false, false, "127C19340005"},
      {"type 6: old style with settings", 6, 0xFE, false, 0x106, false, true, "127C19340005"},
      {"plain type 4: old style with settings", 4, 0xFC, false, 0x102, false, true, "127C19340005"},
      {"other: the descriptor only", 1, 0x00, false, 0, false, false, "127C19340005"},
      {"other, fixed serial: the descriptor carries it", 0x12, 0xFE, true, 0, false, false, "SN0123456789"},
      {"type 3: nothing", 3, 0xFE, false, 0, false, false, nullptr},
      {"type 9: nothing", 9, 0xFE, true, 0, false, false, nullptr},
  };
  const UserIspData data = fullIdentity();
  for (const auto& row : rows) {
    load(row.type, row.mark);
    UserIspData rowData = data;
    rowData.serialActive = row.serialActive;
    ASSERT_EQ(patchImage(firmware, kAddress, rowData, kDescriptor), PatchResult::Patched) << row.name;

    std::vector<Byte> expected = original;
    if (row.blockStart != 0) putIdentityBlock(expected, row.blockStart, row.newStyle, row.settings);
    const std::size_t head = row.mark == 0xFE && row.blockStart != 0 ? 6 : 2;
    if (row.descriptorSerial) putDescriptor(expected, 0x100 + head + 0x180, row.descriptorSerial);
    EXPECT_EQ(patched(), expected) << row.name;
  }
}

TEST_F(PatchImage, FixedSerialGoesIntoTheBlockBetweenUntouchedBytesAndNoDescriptorIsWritten) {
  load(2, 0xFE);
  UserIspData data = fullIdentity();
  data.serialActive = true;
  ASSERT_EQ(patchImage(firmware, kAddress, data, kDescriptor), PatchResult::Patched);

  std::vector<Byte> expected = original;
  putIdentityBlock(expected, 0x106, true, false);
  const std::string_view serial = "SN0123456789";
  for (std::size_t k = 0; k < 12; ++k) expected[0x106 + 80 + 2 * k] = static_cast<Byte>(serial[k]);
  EXPECT_EQ(patched(), expected);
}

TEST_F(PatchImage, ItemsDeviceTxtDoesNotGiveAreLeftAlone) {
  load(1, 0xFE);
  UserIspData data;  // nothing given
  data.serialActive = true;
  ASSERT_EQ(patchImage(firmware, kAddress, data, kDescriptor), PatchResult::Patched);
  std::vector<Byte> expected = original;
  for (std::size_t k = 0; k < 12; ++k) expected[0x106 + 80 + 2 * k] = 0;  // the NUL-padded serial string
  EXPECT_EQ(patched(), expected);

  load(4, 0xFC);
  data.serialActive = false;
  data.manufacturerLength = 3;
  data.manufacturerString = field<24>("ABC", ' ');
  ASSERT_EQ(patchImage(firmware, kAddress, data, kDescriptor), PatchResult::Patched);
  expected = original;
  put(expected, 0x102 + 28, "ABC                     ");
  putDescriptor(expected, 0x102 + 0x180, "127C19340005");
  EXPECT_EQ(patched(), expected) << "the plain block has no length byte at 26";
}

TEST_F(PatchImage, ClassesThatWriteNeedAnAddressRecord) {
  for (const auto& [type, mark] : {std::pair<Byte, Byte>{4, 0xFC}, {1, 0xFE}, {6, 0xFE}, {0, 0}}) {
    load(type, mark);
    EXPECT_EQ(patchImage(firmware, std::nullopt, fullIdentity(), kDescriptor), PatchResult::NoAddressRecord)
        << int(type);
    EXPECT_EQ(patched(), original) << int(type);
  }
  load(7, 0xFE);
  EXPECT_EQ(patchImage(firmware, std::nullopt, fullIdentity(), kDescriptor), PatchResult::Patched);
  EXPECT_EQ(patched(), original);
}

struct RangeRow {
  const char* name;
  Byte type, mark;
  AddressRecord address;
  bool serialActive;
  PatchResult result;
};

TEST_F(PatchImage, PositionsOutsideTheImageRefuseThePatchBeforeAnyByteIsWritten) {
  constexpr std::uint32_t kShort = 1000;
  const RangeRow rows[] = {
      {"descriptor ends at the last byte", 5, 0xFE, {0, 8, 121, 0, 0}, false, PatchResult::Patched},
      {"descriptor one byte over", 5, 0xFE, {0, 17, 57, 0, 0}, false, PatchResult::OutOfRange},
      {"settings end at the last byte", 6, 0xFE, {786, 0, 0, 0, 0}, true, PatchResult::Patched},
      {"settings one byte over", 6, 0xFE, {787, 0, 0, 0, 0}, true, PatchResult::OutOfRange},
      {"inquiry product ends at the last byte", 1, 0xFE, {814, 0, 0, 0, 0}, true, PatchResult::Patched},
      {"block beyond the image", 1, 0xFE, {5000, 0, 0, 0, 0}, true, PatchResult::OutOfRange},
      {"slot product that wraps in 32 bits", 0, 0, {0, 0x10000, 0x10000, 0, 0}, false, PatchResult::OutOfRange},
      {"block offset that wraps in 32 bits", 0, 0, {0xFFFFFFFE, 0, 0, 0, 0}, false, PatchResult::OutOfRange},
      {"largest words", 4, 0xFC, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0}, false, PatchResult::OutOfRange},
      {"nothing written, block anywhere", 3, 0xFE, {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0}, false,
       PatchResult::Patched},
  };
  for (const auto& row : rows) {
    load(row.type, row.mark, kShort);
    UserIspData data = fullIdentity();
    data.serialActive = row.serialActive;
    EXPECT_EQ(patchImage(firmware, row.address, data, kDescriptor), row.result) << row.name;
    if (row.result == PatchResult::OutOfRange) {
      EXPECT_EQ(patched(), original) << row.name;
      EXPECT_TRUE(std::all_of(firmware.image.begin() + kShort, firmware.image.end(), [](Byte b) { return b == 0; }))
          << row.name;
    }
  }
}

class InsertBmpMap : public ::testing::Test {
 protected:
  // A type-6 image whose body is `plain` scrambled around the window.
  void load(std::size_t bodyLength) {
    plain = testImage(bodyLength, 5);
    std::fill(firmware.image.begin(), firmware.image.end(), Byte{0});
    firmware.image[0] = 6;
    firmware.image[1] = 0xFE;
    ASSERT_TRUE(scramble(plain, Bytes(firmware.image).subspan(6), window()));
    firmware.length = static_cast<std::uint32_t>(bodyLength + 6);
    before = firmware.image;
  }

  ScrambleWindow window() const { return {address.blockOffset, address.plainLength}; }

  std::vector<Byte> unscrambledBody() const {
    std::vector<Byte> body(firmware.length - 6);
    EXPECT_TRUE(unscramble(ConstBytes(firmware.image).subspan(6, body.size()), body, window()));
    return body;
  }

  void setMap(Byte seed) {
    const std::vector<Byte> map = testImage(kBmpMapSize, seed);
    std::copy(map.begin(), map.end(), firmware.bmpMap.begin());
  }

  AddressRecord address{0x40, 0, 0, 0x100, 0x200};
  FirmwareImage firmware;
  std::vector<Byte> plain;
  std::vector<Byte> before;
};

TEST_F(InsertBmpMap, PutsTheMapIntoThePlainBodyAndScramblesItBack) {
  load(0x1000);
  setMap(11);
  insertBmpMap(firmware, address);

  std::vector<Byte> expected = plain;
  std::copy(firmware.bmpMap.begin(), firmware.bmpMap.end(), expected.begin() + 0x200);
  EXPECT_EQ(unscrambledBody(), expected);
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + 6, firmware.image.begin())) << "the head stays";
  EXPECT_TRUE(std::equal(before.begin() + 6 + 0x40, before.begin() + 6 + 0x140, firmware.image.begin() + 6 + 0x40))
      << "the window stays";
  EXPECT_TRUE(std::equal(before.begin() + 0x1006, before.end(), firmware.image.begin() + 0x1006))
      << "nothing beyond the image";
}

TEST_F(InsertBmpMap, TheMapAlreadyInPlaceLeavesTheImageByteForByte) {
  load(0x1000);
  std::copy_n(plain.begin() + 0x200, kBmpMapSize, firmware.bmpMap.begin());
  insertBmpMap(firmware, address);
  EXPECT_EQ(firmware.image, before);
}

TEST_F(InsertBmpMap, MapBytesBeyondTheBodyAreNotCarried) {
  load(0x300);
  setMap(12);
  insertBmpMap(firmware, address);
  std::vector<Byte> expected = plain;
  std::copy_n(firmware.bmpMap.begin(), 0x100, expected.begin() + 0x200);
  EXPECT_EQ(unscrambledBody(), expected);
  EXPECT_TRUE(std::all_of(firmware.image.begin() + 0x306, firmware.image.end(), [](Byte b) { return b == 0; }));
}

TEST_F(InsertBmpMap, MapAtTheHighestOffsetIsCutAtTheEndOfTheWorkBuffer) {
  address.bmpMapOffset = 0xFE00;
  load(kImageBufferSize - 6);
  setMap(13);
  insertBmpMap(firmware, address);
  std::vector<Byte> expected = plain;
  std::copy_n(firmware.bmpMap.begin(), expected.size() - 0xFE00, expected.begin() + 0xFE00);
  EXPECT_EQ(unscrambledBody(), expected);

  address.bmpMapOffset = 0xFE00;
  load(0x1000);
  insertBmpMap(firmware, address);
  EXPECT_EQ(firmware.image, before) << "a map beyond a short body changes nothing";
}

TEST_F(InsertBmpMap, ImageWithoutABodyIsLeftAlone) {
  for (std::uint32_t length : {0u, 1u, 6u}) {
    std::fill(firmware.image.begin(), firmware.image.end(), Byte{0x77});
    firmware.length = length;
    setMap(14);
    insertBmpMap(firmware, address);
    EXPECT_TRUE(std::all_of(firmware.image.begin(), firmware.image.end(), [](Byte b) { return b == 0x77; }))
        << length;
  }
}

}  // namespace
}  // namespace updater
