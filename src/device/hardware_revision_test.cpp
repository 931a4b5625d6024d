// Known answers for the hardware revisions a device entry keeps. Every known
// controller revision is written out here by hand, with what the identify
// block's revision bytes decode to, so a code dropped from, mistyped in or
// added to the code's own list shows up as a difference.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "device/hardware_revision.h"
#include "device/identify_record.h"

namespace updater {
namespace {

enum class Kept { No, WithThisLetter, WithAnyLetter };

struct RevisionRow {
  const char* name;
  HardwareRevision read;  // identify block bytes 382..384
  Kept kept;
  const char* text;  // the six digits the table shows, kept or not
};

constexpr RevisionRow kRevisions[] = {
    {"3046 with C", {0x30, 0x46, 'C'}, Kept::WithThisLetter, "304643"},
    {"3017 with G", {0x30, 0x17, 'G'}, Kept::WithThisLetter, "301747"},
    {"3086", {0x30, 0x86, 'A'}, Kept::WithAnyLetter, "308641"},
    {"4053", {0x40, 0x53, 0x00}, Kept::WithAnyLetter, "405300"},
    {"4057", {0x40, 0x57, 'C'}, Kept::WithAnyLetter, "405743"},
    {"4013", {0x40, 0x13, 'G'}, Kept::WithAnyLetter, "401347"},
    {"4113", {0x41, 0x13, 0xFF}, Kept::WithAnyLetter, "4113ff"},
    {"4129", {0x41, 0x29, 'B'}, Kept::WithAnyLetter, "412942"},
    {"4161", {0x41, 0x61, 'Z'}, Kept::WithAnyLetter, "41615a"},
    {"4023", {0x40, 0x23, 'a'}, Kept::WithAnyLetter, "402361"},
    {"4064", {0x40, 0x64, 'D'}, Kept::WithAnyLetter, "406444"},
    {"4137", {0x41, 0x37, 'E'}, Kept::WithAnyLetter, "413745"},
    {"4165", {0x41, 0x65, 'F'}, Kept::WithAnyLetter, "416546"},
    {"4166", {0x41, 0x66, '1'}, Kept::WithAnyLetter, "416631"},
    {"4147", {0x41, 0x47, 'H'}, Kept::WithAnyLetter, "414748"},
    {"4168", {0x41, 0x68, 'X'}, Kept::WithAnyLetter, "416858"},
    {"4148", {0x41, 0x48, 0x80}, Kept::WithAnyLetter, "414880"},
    {"4391", {0x43, 0x91, 'Q'}, Kept::WithAnyLetter, "439151"},
    {"3046 with G", {0x30, 0x46, 'G'}, Kept::No, "304647"},
    {"3046 with lower-case c", {0x30, 0x46, 'c'}, Kept::No, "304663"},
    {"3017 with C", {0x30, 0x17, 'C'}, Kept::No, "301743"},
    {"3017 without letter", {0x30, 0x17, 0x00}, Kept::No, "301700"},
    {"1234", {0x12, 0x34, 'C'}, Kept::No, "123443"},
    {"4054, next to 4053", {0x40, 0x54, 'A'}, Kept::No, "405441"},
    {"4174, 4147 with its digits turned", {0x41, 0x74, 'A'}, Kept::No, "417441"},
    {"9143, 4391 with its bytes swapped", {0x91, 0x43, 'A'}, Kept::No, "914341"},
    {"4391 written as decimal bytes", {43, 91, 'A'}, Kept::No, "2b5b41"},
};

// What decoding a block with `read` at the revision bytes leaves behind.
struct Decoded {
  HardwareRevision kept;
  std::string text;
};

Decoded decode(DeviceTable& table, const HardwareRevision& read) {
  std::copy(read.begin(), read.end(), table.identifyData.begin() + 382);
  decodeIdentify(table, 0);
  return {table.entries[0].usbHwRevision, table.hardwareRevisionText};
}

TEST(HardwareRevisionKnownAnswer, EachListedCodeIsKeptAndEachOtherIsCleared) {
  DeviceTable table;
  for (const auto& row : kRevisions) {
    const Decoded decoded = decode(table, row.read);
    const HardwareRevision expected = row.kept == Kept::No ? HardwareRevision{} : row.read;
    EXPECT_EQ(decoded.kept, expected) << row.name;
    EXPECT_EQ(decoded.text, row.text) << row.name;
    EXPECT_EQ(revisionCode(decoded.text), std::string(row.text).substr(0, 4)) << row.name;
    if (row.kept != Kept::WithAnyLetter) continue;
    for (const Byte letter : {Byte{0x00}, Byte{'C'}, Byte{'G'}, Byte{0xFF}}) {
      const HardwareRevision withLetter{row.read[0], row.read[1], letter};
      EXPECT_EQ(decode(table, withLetter).kept, withLetter) << row.name << " with letter " << int{letter};
    }
  }
}

bool keptByTheTable(const HardwareRevision& revision) {
  for (const auto& row : kRevisions) {
    if (row.kept == Kept::WithThisLetter && revision == row.read) return true;
    if (row.kept == Kept::WithAnyLetter && revision[0] == row.read[0] && revision[1] == row.read[1]) return true;
  }
  return false;
}

TEST(HardwareRevisionKnownAnswer, NoCodeOutsideTheTableIsKept) {
  DeviceTable table;
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    for (const Byte letter : {Byte{0x00}, Byte{'C'}, Byte{'G'}}) {
      const HardwareRevision read{static_cast<Byte>(code >> 8), static_cast<Byte>(code & 0xFF), letter};
      const HardwareRevision expected = keptByTheTable(read) ? read : HardwareRevision{};
      ASSERT_EQ(decode(table, read).kept, expected) << table.hardwareRevisionText;
    }
  }
}

}  // namespace
}  // namespace updater
