#include "jobs/image_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

std::string asText(const std::vector<Byte>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Little-endian 32-bit words as an address file holds them.
std::vector<Byte> words(std::initializer_list<std::uint32_t> values) {
  std::vector<Byte> bytes(values.size() * 4);
  std::size_t at = 0;
  for (std::uint32_t value : values) {
    putU32(bytes, at, value);
    at += 4;
  }
  return bytes;
}

class ImageFiles : public ::testing::Test {
 protected:
  TemporaryDirectory directory;
  FirmwareImage firmware;
};

struct ImageLoadRow {
  const char* name;
  std::size_t size;
  ImageFileError error;
  const char* boxText;
  const char* logText;
};

TEST_F(ImageFiles, RomCodeFileLoadsUpTo65536BytesAndReportsEachFailure) {
  const ImageLoadRow rows[] = {
      {"one byte", 1, ImageFileError::None, "", ""},
      {"65,535 bytes", 65535, ImageFileError::None, "", ""},
      {"65,536 bytes", 65536, ImageFileError::None, "", ""},
      {"65,537 bytes", 65537, ImageFileError::TooLarge, "Error!!! File too large !!!, 65537",
       "Error!!! File too large !!!, 65537"},
      {"empty", 0, ImageFileError::ProblemReading, "Error!!! Problem reading file!!!",
       "Error!!! Problem reading ROM code file!!!"},
  };
  for (const auto& row : rows) {
    const std::vector<Byte> contents = testImage(row.size, 7);
    directory.writeFile("FW.BIN", asText(contents));
    firmware.length = 12345;
    const ImageFileResult result = loadFirmwareImage(firmware, directory.path(), "FW.BIN");
    EXPECT_EQ(result.error, row.error) << row.name;
    EXPECT_EQ(result.boxText, row.boxText) << row.name;
    EXPECT_EQ(result.logText, row.logText) << row.name;
    if (row.error == ImageFileError::None) {
      EXPECT_EQ(firmware.length, row.size) << row.name;
      EXPECT_TRUE(std::equal(contents.begin(), contents.end(), firmware.image.begin())) << row.name;
    } else {
      EXPECT_EQ(firmware.length, 12345u) << row.name;
    }
  }
}

TEST_F(ImageFiles, RomCodeFileThatIsMissingOrADirectoryCannotBeOpened) {
  std::filesystem::create_directory(directory.path() / "DIR.BIN");
  for (const char* name : {"NONE.BIN", "DIR.BIN", ""}) {
    const ImageFileResult result = loadFirmwareImage(firmware, directory.path(), name);
    const std::string text = std::string("Error!!! Can Not Open ") + name + " ISP Binary ROM Code";
    EXPECT_EQ(result.error, ImageFileError::CannotOpen) << name;
    EXPECT_EQ(result.boxText, text) << name;
    EXPECT_EQ(result.logText, text) << name;
  }
}

TEST_F(ImageFiles, ShorterImageLeavesOnlyZerosBehindIt) {
  directory.writeFile("LONG.BIN", asText(std::vector<Byte>(4000, 0xAA)));
  directory.writeFile("SHORT.BIN", asText(std::vector<Byte>(1000, 0x55)));
  ASSERT_TRUE(loadFirmwareImage(firmware, directory.path(), "LONG.BIN").ok());
  ASSERT_TRUE(loadFirmwareImage(firmware, directory.path(), "SHORT.BIN").ok());
  EXPECT_EQ(firmware.length, 1000u);
  EXPECT_TRUE(std::all_of(firmware.image.begin(), firmware.image.begin() + 1000, [](Byte b) { return b == 0x55; }));
  EXPECT_TRUE(std::all_of(firmware.image.begin() + 1000, firmware.image.end(), [](Byte b) { return b == 0; }));
}

struct AddressRow {
  const char* name;
  std::vector<Byte> contents;
  AddressWords words;
  std::optional<AddressRecord> record;
};

TEST(AddressRecordParse, ReadsThreeOrFiveWordsAndBoundsTheBmpMapOffset) {
  const auto five = AddressWords::WithBmpMap;
  const auto three = AddressWords::IdentityOnly;
  std::vector<Byte> cutWord4 = words({1, 2, 3, 4, 0x300});
  cutWord4.pop_back();
  std::vector<Byte> cutWord2 = words({1, 2, 3});
  cutWord2.pop_back();
  const AddressRow rows[] = {
      {"three words", words({0x10, 2, 0x20}), three, AddressRecord{0x10, 2, 0x20, 0, 0}},
      {"three words leave the BmpMap words unread", words({0x10, 2, 0x20, 7, 0x300}), three,
       AddressRecord{0x10, 2, 0x20, 0, 0}},
      {"12 bytes for a BmpMap revision", words({0x10, 2, 0x20}), five, AddressRecord{0x10, 2, 0x20, 0, 0}},
      {"five words", words({0x10, 2, 0x20, 7, 0x300}), five, AddressRecord{0x10, 2, 0x20, 7, 0x300}},
      {"offset 0x1FE is none", words({1, 2, 3, 4, 0x1FE}), five, AddressRecord{1, 2, 3, 4, 0}},
      {"offset 0x1FF stays", words({1, 2, 3, 4, 0x1FF}), five, AddressRecord{1, 2, 3, 4, 0x1FF}},
      {"offset 0xFE00 stays", words({1, 2, 3, 4, 0xFE00}), five, AddressRecord{1, 2, 3, 4, 0xFE00}},
      {"offset 0xFE01 is none", words({1, 2, 3, 4, 0xFE01}), five, AddressRecord{1, 2, 3, 4, 0}},
      {"offset far above is none", words({1, 2, 3, 4, 0xFFFFFFFF}), five, AddressRecord{1, 2, 3, 4, 0}},
      {"word 4 cut short is absent", cutWord4, five, AddressRecord{1, 2, 3, 4, 0}},
      {"16 bytes: no word 4", words({1, 2, 3, 4}), five, AddressRecord{1, 2, 3, 4, 0}},
      {"largest words", words({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}), three,
       AddressRecord{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0}},
      {"word 2 cut short: no record", cutWord2, three, std::nullopt},
      {"two words: no record", words({1, 2}), five, std::nullopt},
      {"empty: no record", {}, three, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(parseAddressRecord(row.contents, row.words), row.record) << row.name;
  }
}

TEST_F(ImageFiles, AddressFileFailuresNameTheFile) {
  AddressRecord record{9, 9, 9, 9, 9};
  const AddressRecord before = record;

  ImageFileResult result = loadAddressFile(directory.path(), "FW.adr", AddressWords::IdentityOnly, record);
  EXPECT_EQ(result.error, ImageFileError::CannotOpen);
  EXPECT_EQ(result.boxText, "Error!!! Can Not Open FW.adr String address file.");
  EXPECT_EQ(result.logText, result.boxText);

  directory.writeFile("FW.adr", asText(words({1, 2})));
  result = loadAddressFile(directory.path(), "FW.adr", AddressWords::IdentityOnly, record);
  EXPECT_EQ(result.error, ImageFileError::ProblemReading);
  EXPECT_EQ(result.boxText, "Error!!! Problem reading fileFW.adr");
  EXPECT_EQ(record, before) << "a failed read leaves the record";

  directory.writeFile("FW.adr", asText(words({0x40, 3, 0x10, 0x20, 0x200, 0xDEAD})));
  ASSERT_TRUE(loadAddressFile(directory.path(), "FW.adr", AddressWords::WithBmpMap, record).ok());
  EXPECT_EQ(record, (AddressRecord{0x40, 3, 0x10, 0x20, 0x200}));
}

struct BmpMapRow {
  const char* name;
  std::size_t size;
  const char* text;
};

TEST_F(ImageFiles, BmpMapMustBeExactly640Bytes) {
  const BmpMapRow rows[] = {
      {"639 bytes", 639, "Error!!! File too large !!!, 639"},
      {"641 bytes", 641, "Error!!! File too large !!!, 641"},
      {"empty", 0, "Error!!! File too large !!!, 0"},
      {"640 bytes", 640, ""},
  };
  for (const auto& row : rows) {
    const std::vector<Byte> contents = testImage(row.size, 3);
    directory.writeFile("MAP.BIN", asText(contents));
    std::array<Byte, kBmpMapSize> map{};
    const ImageFileResult result = loadBmpMap(directory.path(), "MAP.BIN", map);
    EXPECT_EQ(result.boxText, row.text) << row.name;
    EXPECT_EQ(result.logText, row.text) << row.name;
    if (result.ok()) {
      EXPECT_TRUE(std::equal(map.begin(), map.end(), contents.begin())) << row.name;
    } else {
      EXPECT_EQ(result.error, ImageFileError::TooLarge) << row.name;
      EXPECT_EQ(map, (std::array<Byte, kBmpMapSize>{})) << row.name;
    }
  }

  std::array<Byte, kBmpMapSize> map{};
  const ImageFileResult missing = loadBmpMap(directory.path(), "NONE.BMP", map);
  EXPECT_EQ(missing.error, ImageFileError::CannotOpen);
  EXPECT_EQ(missing.boxText, "Error!!! Can Not Open NONE.BMPFile");
}

}  // namespace
}  // namespace updater
