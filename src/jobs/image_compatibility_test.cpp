#include "jobs/image_compatibility.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

constexpr const char* kOk = "";
constexpr const char* kHardware = "nError!!! HardWare version not correct!!!";
constexpr const char* kFirmware = "nError!!! This Firmware not correct!!!";
constexpr const char* kEncoding = "nError!!! Firmware encoding not correct!!!";

struct CompatibilityRow {
  const char* name;
  Byte type, mark;
  HardwareRevision revision;  // the entry's bytes; the text is their hex digits
  const char* text;
};

TEST(ImageMatchesDevice, RowsAreTriedInOrderFromTheImageSideThenTheReaderSide) {
  const CompatibilityRow rows[] = {
      // Row 1: low nibble 2 with mark 0xFE on "3046"/"3086" with letter 'C'.
      {"type 2 on 3046C", 2, 0xFE, {0x30, 0x46, 'C'}, kOk},
      {"type 0x12 on 3086C", 0x12, 0xFE, {0x30, 0x86, 'C'}, kOk},
      {"type 2 on 4023", 2, 0xFE, {0x40, 0x23, 'A'}, kHardware},
      {"type 2 with the plain mark on 3046C", 2, 0xFC, {0x30, 0x46, 'C'}, kEncoding},
      {"type 1 on 3046C", 1, 0xFE, {0x30, 0x46, 'C'}, kEncoding},
      {"type 2 on 3046 letter G", 2, 0xFE, {0x30, 0x46, 'G'}, kHardware},
      // Row 2: type 3 on "4053"/"4057".
      {"type 3 on 4053", 3, 0xFE, {0x40, 0x53, 'A'}, kOk},
      {"type 3 on 4057", 3, 0xFE, {0x40, 0x57, 'B'}, kOk},
      {"type 3 on 4013", 3, 0xFE, {0x40, 0x13, 'A'}, kHardware},
      {"type 4 on 4053: the type-3 row answers first", 4, 0xFC, {0x40, 0x53, 'A'}, kFirmware},
      // Row 3: plain type 4 on "4013", "4113", "4129", "4161".
      {"type 4 on 4013", 4, 0xFC, {0x40, 0x13, 'A'}, kOk},
      {"type 4 on 4161", 4, 0xFC, {0x41, 0x61, 'A'}, kOk},
      {"type 4 on 4023", 4, 0xFC, {0x40, 0x23, 'A'}, kHardware},
      {"scrambled type 4 on 4113", 4, 0xFE, {0x41, 0x13, 'A'}, kFirmware},
      {"type 1 on 4129", 1, 0xFE, {0x41, 0x29, 'A'}, kFirmware},
      // Rows 4 to 6: types 7, 9, 8.
      {"type 7 on 4165", 7, 0xFE, {0x41, 0x65, 'A'}, kOk},
      {"type 7 on 4166", 7, 0xFE, {0x41, 0x66, 'A'}, kHardware},
      {"type 9 on 4137: the type-7 row answers first", 9, 0xFE, {0x41, 0x37, 'A'}, kFirmware},
      {"type 9 on 4147", 9, 0xFE, {0x41, 0x47, 'A'}, kOk},
      {"type 1 on 4166", 1, 0xFE, {0x41, 0x66, 'A'}, kFirmware},
      {"type 8 on 4391", 8, 0xFE, {0x43, 0x91, 'A'}, kOk},
      {"type 8 on 4148", 8, 0xFE, {0x41, 0x48, 'A'}, kHardware},
      {"type 5 on 4391", 5, 0xFE, {0x43, 0x91, 'A'}, kFirmware},
      // Row 7: types 5 and 6 on "4023"/"4064".
      {"type 5 on 4023", 5, 0xFE, {0x40, 0x23, 'A'}, kOk},
      {"type 6 on 4064", 6, 0xFE, {0x40, 0x64, 'A'}, kOk},
      {"type 6 with the plain mark on 4023", 6, 0xFC, {0x40, 0x23, 'A'}, kEncoding},
      {"type 6 on 3017", 6, 0xFE, {0x30, 0x17, 'G'}, kHardware},
      // In no row.
      {"type 1 on 4148", 1, 0xFE, {0x41, 0x48, 'A'}, kOk},
      {"type 1 on 3017", 1, 0xFE, {0x30, 0x17, 'G'}, kOk},
      {"type 0 on an unlisted reader", 0, 0x00, {0x00, 0x00, 0x00}, kOk},
  };
  for (const auto& row : rows) {
    const auto failure = checkImageMatchesDevice({row.type, row.mark}, hardwareRevisionText(row.revision), row.revision);
    EXPECT_EQ(std::string(failure.value_or("")), row.text) << row.name;
  }
}

TEST(ImageMatchesDevice, FirstRowGoesByTheEntryBytesTheOthersByTheText) {
  // An unlisted reader keeps its digits in the text while its entry reads 00 00 00.
  const HardwareRevision cleared{};
  EXPECT_EQ(checkImageMatchesDevice({2, 0xFE}, "304643", cleared).value_or(""), kHardware);
  EXPECT_EQ(checkImageMatchesDevice({5, 0xFE}, "402347", cleared), std::nullopt);
}

struct GroupRow {
  const char* text;
  bool readsAddressFile, readsBmpMapWords, toleratesAddressErrors, usesSerialFile;
};

TEST(RevisionGroups, FollowTheRevisionCode) {
  const GroupRow rows[] = {
      {"301747", true, false, false, true},  {"307141", true, false, false, true},
      {"304643", true, false, false, true},  {"308643", true, false, false, true},
      {"402341", true, true, false, true},   {"406441", true, true, false, true},
      {"401341", true, false, true, true},   {"411341", true, false, true, true},
      {"412941", true, false, true, true},   {"416141", true, false, true, true},
      {"405341", false, false, false, false}, {"405741", false, false, false, false},
      {"414841", false, false, false, true},  {"413741", false, false, false, true},
      {"", false, false, false, true},        {"40", false, false, false, true},
  };
  for (const auto& row : rows) {
    const RevisionGroups groups = revisionGroupsOf(row.text);
    EXPECT_EQ(groups.readsAddressFile, row.readsAddressFile) << row.text;
    EXPECT_EQ(groups.readsBmpMapWords, row.readsBmpMapWords) << row.text;
    EXPECT_EQ(groups.toleratesAddressErrors, row.toleratesAddressErrors) << row.text;
    EXPECT_EQ(groups.usesSerialFile, row.usesSerialFile) << row.text;
  }
}

}  // namespace
}  // namespace updater
