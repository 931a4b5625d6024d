#include "device/identify_record.h"

#include <gtest/gtest.h>

#include "device/hardware_revision.h"
#include "testing/identify_block_builder.h"

namespace updater {
namespace {

IdentifyData patternBlock() {
  IdentifyData block{};
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<Byte>(i * 37 + 11);
  return block;
}

template <std::size_t N, typename Element>
void expectCopied(const std::array<Element, N>& field, const IdentifyData& block, std::size_t offset,
                  const char* name) {
  for (std::size_t i = 0; i < N; ++i) {
    EXPECT_EQ(static_cast<Byte>(field[i]), block[offset + i]) << name << " byte " << i;
  }
}

TEST(DecodeIdentify, FullBlockByteByByte) {
  DeviceTable table;
  table.identifyData = patternBlock();
  table.identifyData[382] = 0x30;
  table.identifyData[383] = 0x46;
  table.identifyData[384] = 0x43;
  const IdentifyData& block = table.identifyData;
  DeviceEntry& entry = table.entries[3];
  entry.letterCount = 3;
  entry.driveLetters = {'E', 'F', 'G', 0, 0};
  entry.aspiAdapter = 4;
  entry.aspiTarget = 5;

  decodeIdentify(table, 3);

  EXPECT_EQ(entry.inUse, 1u);
  expectCopied(entry.strManufacture, block, 46, "strManufacture");
  expectCopied(entry.strProduct, block, 72, "strProduct");
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(static_cast<Byte>(entry.strSerial[i]), block[98 + 2 * i]) << "strSerial " << i;
  }
  EXPECT_EQ(entry.vidPid, (std::array<Byte, 4>{block[9], block[8], block[11], block[10]}));
  expectCopied(entry.inqManufacture, block, 176, "inqManufacture");
  expectCopied(entry.inqProduct, block, 156, "inqProduct");
  expectCopied(entry.inqRevision, block, 184, "inqRevision");
  expectCopied(entry.usbFwRevision, block, 148, "usbFwRevision");
  expectCopied(entry.reservedIdentify, block, 204, "reservedIdentify");
  EXPECT_EQ(entry.usbHwRevision, (HardwareRevision{0x30, 0x46, 0x43}));
  expectCopied(entry.usb20FwRevision, block, 520, "usb20FwRevision");
  expectCopied(entry.usbFwRevisionOrg, block, 378, "usbFwRevisionOrg");
  const Byte swapped[8] = {block[189], block[188], block[191], block[190],
                           block[193], block[192], block[195], block[194]};
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(static_cast<Byte>(entry.msFwRevision[i]), swapped[i]) << i;
  EXPECT_EQ(table.hardwareRevisionText, "304643");

  // What the scans own stays as they set it.
  EXPECT_EQ(entry.letterCount, 3);
  EXPECT_EQ(entry.driveLetters, (std::array<char, 5>{'E', 'F', 'G', 0, 0}));
  EXPECT_EQ(entry.aspiAdapter, 4);
  EXPECT_EQ(entry.aspiTarget, 5);
  for (std::size_t slot = 0; slot < kDeviceSlots; ++slot) {
    if (slot != 3) {
      EXPECT_EQ(table.entries[slot].inUse, 0u) << "slot " << slot;
    }
  }
}

TEST(DecodeIdentify, VendorAndProductIdsReadHighByteFirst) {
  ReaderIdentity reader;
  reader.vendorId = 0x1234;
  reader.productId = 0xABCD;
  DeviceTable table;
  table.identifyData = identifyBlock(reader);
  decodeIdentify(table, 0);
  EXPECT_EQ(table.entries[0].vidPid, (std::array<Byte, 4>{0x12, 0x34, 0xAB, 0xCD}));
}

struct RevisionCase {
  const char* name;
  HardwareRevision read;
  bool listed;
  const char* text;
};

TEST(DecodeIdentify, OnlyKnownHardwareRevisionsAreKept) {
  const RevisionCase cases[] = {
      {"3046 C", {0x30, 0x46, 0x43}, true, "304643"},
      {"3046 G", {0x30, 0x46, 0x47}, false, "304647"},
      {"3046 without letter", {0x30, 0x46, 0x00}, false, "304600"},
      {"3017 G", {0x30, 0x17, 0x47}, true, "301747"},
      {"3017 C", {0x30, 0x17, 0x43}, false, "301743"},
      {"3086 any letter", {0x30, 0x86, 0x00}, true, "308600"},
      {"4053 without letter", {0x40, 0x53, 0x00}, true, "405300"},
      {"4391 Z", {0x43, 0x91, 'Z'}, true, "43915a"},
      {"1234 C", {0x12, 0x34, 0x43}, false, "123443"},
      {"4054 near a known code", {0x40, 0x54, 0x43}, false, "405443"},
      {"5340 bytes of 4053 reversed", {0x53, 0x40, 0x43}, false, "534043"},
      {"letters a to f print lower case", {0xAB, 0xCD, 0xEF}, false, "abcdef"},
      {"all zero", {0, 0, 0}, false, "000000"},
  };
  for (const auto& row : cases) {
    ReaderIdentity reader;
    reader.hwRevision = row.read;
    DeviceTable table;
    table.identifyData = identifyBlock(reader);
    decodeIdentify(table, 0);
    const HardwareRevision kept = row.listed ? row.read : HardwareRevision{0, 0, 0};
    EXPECT_EQ(table.entries[0].usbHwRevision, kept) << row.name;
    EXPECT_EQ(table.hardwareRevisionText, row.text) << row.name;
  }
}

TEST(DecodeIdentify, EveryAnyLetterCodeIsKeptWithAnyLetter) {
  for (std::string_view code : kAnyLetterRevisionCodes) {
    const HardwareRevision read = {static_cast<Byte>(std::stoi(std::string(code.substr(0, 2)), nullptr, 16)),
                                   static_cast<Byte>(std::stoi(std::string(code.substr(2, 2)), nullptr, 16)),
                                   0xFF};
    ReaderIdentity reader;
    reader.hwRevision = read;
    DeviceTable table;
    table.identifyData = identifyBlock(reader);
    decodeIdentify(table, 0);
    EXPECT_EQ(table.entries[0].usbHwRevision, read) << code;
    EXPECT_EQ(table.hardwareRevisionText.substr(0, 4), code);
  }
}

struct MsCase {
  const char* name;
  HardwareRevision revision;
  bool filled;
};

TEST(DecodeIdentify, MemoryStickRevisionOnlyForTheMemoryStickControllerWithPairsSwapped) {
  const MsCase cases[] = {
      {"3046 C", {0x30, 0x46, 'C'}, true},
      {"3046 G", {0x30, 0x46, 'G'}, false},
      {"3017 G", {0x30, 0x17, 'G'}, false},
      {"4053", {0x40, 0x53, 0x00}, false},
  };
  for (const auto& row : cases) {
    DeviceTable table;
    clearIdentifyData(table.identifyData);
    const Byte stored[8] = {0x31, 0x30, 0x33, 0x32, 0x35, 0x34, 0x37, 0x36};
    std::copy(std::begin(stored), std::end(stored), table.identifyData.begin() + 188);
    std::copy(row.revision.begin(), row.revision.end(), table.identifyData.begin() + 382);
    decodeIdentify(table, 0);
    const std::array<char, 8> expected =
        row.filled ? std::array<char, 8>{'0', '1', '2', '3', '4', '5', '6', '7'} : std::array<char, 8>{};
    EXPECT_EQ(table.entries[0].msFwRevision, expected) << row.name;
  }
}

TEST(DecodeIdentify, AnotherReaderDecodedIntoTheSlotDoesNotInheritTheMemoryStickRevision) {
  DeviceTable table;
  table.identifyData = identifyBlock(sampleReader());
  decodeIdentify(table, 9);
  ASSERT_EQ(std::string(table.entries[9].msFwRevision.data(), 8), "MS1.02b7");

  ReaderIdentity other = sampleReader();
  other.hwRevision = {0x40, 0x53, 'A'};
  table.identifyData = identifyBlock(other);
  decodeIdentify(table, 9);
  EXPECT_EQ(table.entries[9].msFwRevision, (std::array<char, 8>{}));
}

TEST(DecodeIdentify, SerialIsTheLowByteOfEachUtf16Character) {
  DeviceTable table;
  putU16(table.identifyData, 98, 0x0141);   // 'A' with a high byte
  putU16(table.identifyData, 100, 0x0042);  // 'B'
  // the rest of the serial is UTF-16 zeros: a shorter serial
  EXPECT_EQ(identifySerial(table.identifyData), (SerialNumber{'A', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  decodeIdentify(table, 0);
  EXPECT_EQ(table.entries[0].strSerial, (SerialNumber{'A', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(DecodeIdentify, SlotOutsideTheTableIsIgnored) {
  DeviceTable table;
  table.identifyData = identifyBlock(sampleReader());
  table.hardwareRevisionText = "kept";
  decodeIdentify(table, kDeviceSlots);
  EXPECT_EQ(table.hardwareRevisionText, "kept");
  for (const auto& entry : table.entries) EXPECT_EQ(entry.inUse, 0u);
}

}  // namespace
}  // namespace updater
