#include "device/slot_assignment.h"

#include <gtest/gtest.h>

#include "testing/identify_block_builder.h"

namespace updater {
namespace {

ReaderIdentity readerWithSerial(const std::string& serial, const std::string& product = "Reader") {
  ReaderIdentity reader = sampleReader();
  reader.serial = serial;
  reader.product = product;
  return reader;
}

/// A scan answering at `letter` with `reader`'s identify block.
SlotAssignment scanAtDrive(DeviceTable& table, const ReaderIdentity& reader, char letter) {
  table.identifyData = identifyBlock(reader);
  return assignSlot(table, ScannedUnit::atDrive(letter));
}

std::string letters(const DeviceEntry& entry) {
  return std::string(entry.driveLetters.begin(), entry.driveLetters.begin() + entry.letterCount);
}

TEST(SlotAssignment, TwoLettersOfOneReaderMakeOneEntry) {
  DeviceTable table;
  const auto first = scanAtDrive(table, readerWithSerial("000000000001"), 'E');
  const auto second = scanAtDrive(table, readerWithSerial("000000000001"), 'F');

  EXPECT_EQ(first.outcome, SlotOutcome::NewEntry);
  EXPECT_EQ(second.outcome, SlotOutcome::AddedUnit);
  EXPECT_EQ(second.slot, 0u);
  EXPECT_EQ(table.deviceCount, 1u);
  EXPECT_EQ(table.entries[0].letterCount, 2);
  EXPECT_EQ(letters(table.entries[0]), "EF");
  EXPECT_EQ(table.selectedLetterCount, 2u);
  EXPECT_EQ(table.entries[1].inUse, 0u);
}

struct MergeCase {
  const char* name;
  std::string firstSerial;
  std::string secondSerial;
  bool merged;
};

TEST(SlotAssignment, ReadersAreToldApartByTheirSerialOnly) {
  const MergeCase cases[] = {
      {"different serials", "000000000001", "000000000002", false},
      {"equal serials", "SAMESERIAL01", "SAMESERIAL01", true},
      {"both empty", "", "", true},
      {"equal short serials", "AB", "AB", true},
      {"short and long", "AB", "AB0000000000", false},
      {"differ in the last character", "00000000000A", "00000000000B", false},
  };
  for (const auto& row : cases) {
    DeviceTable table;
    scanAtDrive(table, readerWithSerial(row.firstSerial, "First reader"), 'D');
    scanAtDrive(table, readerWithSerial(row.secondSerial, "Second reader"), 'E');
    EXPECT_EQ(table.deviceCount, row.merged ? 1u : 2u) << row.name;
    EXPECT_EQ(table.entries[0].letterCount, row.merged ? 2 : 1) << row.name;
    EXPECT_EQ(table.entries[1].inUse, row.merged ? 0u : 1u) << row.name;
    // A merged unit adds its letter; the entry keeps the identity decoded first.
    EXPECT_EQ(std::string(table.entries[0].strProduct.data(), 12), "First reader") << row.name;
  }
}

TEST(SlotAssignment, SerialsCompareOnTheLowBytesOfTheirCharacters) {
  DeviceTable table;
  scanAtDrive(table, readerWithSerial("A"), 'D');
  table.identifyData = identifyBlock(readerWithSerial("B"));
  putU16(table.identifyData, 98, 0x0141);  // a character whose low byte is 'A'
  const auto second = assignSlot(table, ScannedUnit::atDrive('E'));
  EXPECT_EQ(second.outcome, SlotOutcome::AddedUnit);
  EXPECT_EQ(table.deviceCount, 1u);
}

TEST(SlotAssignment, AnEleventhReaderIsDroppedButAKnownOneStillMerges) {
  DeviceTable table;
  for (int i = 0; i < 10; ++i) {
    const auto result = scanAtDrive(table, readerWithSerial("READER" + std::to_string(i)), 'D');
    EXPECT_EQ(result.slot, static_cast<std::size_t>(i));
  }
  table.selectedLetterCount = 7;
  const auto eleventh = scanAtDrive(table, readerWithSerial("READER10"), 'N');
  EXPECT_EQ(eleventh.outcome, SlotOutcome::TableFull);
  EXPECT_EQ(eleventh.slot, kDeviceSlots);
  EXPECT_EQ(table.deviceCount, 10u);
  EXPECT_EQ(table.selectedLetterCount, 7u);
  for (const auto& entry : table.entries) EXPECT_EQ(entry.letterCount, 1);

  const auto known = scanAtDrive(table, readerWithSerial("READER9"), 'O');
  EXPECT_EQ(known.outcome, SlotOutcome::AddedUnit);
  EXPECT_EQ(known.slot, 9u);
  EXPECT_EQ(letters(table.entries[9]), "DO");
}

TEST(SlotAssignment, ASixthLetterOfOneReaderIsNotRecorded) {
  DeviceTable table;
  const ReaderIdentity reader = readerWithSerial("FIVESLOTS");
  for (char letter : std::string("DEFGH")) scanAtDrive(table, reader, letter);
  const auto sixth = scanAtDrive(table, reader, 'I');
  const auto seventh = scanAtDrive(table, reader, 'J');

  EXPECT_EQ(sixth.outcome, SlotOutcome::UnitDropped);
  EXPECT_EQ(seventh.outcome, SlotOutcome::UnitDropped);
  EXPECT_EQ(table.entries[0].letterCount, 5);
  EXPECT_EQ(letters(table.entries[0]), "DEFGH");
  EXPECT_EQ(table.selectedLetterCount, 5u);
  EXPECT_EQ(table.deviceCount, 1u);
  // The letters never spill into the record's next field.
  EXPECT_EQ(table.entries[0].reservedIdentify, (std::array<Byte, 8>{}));
}

TEST(SlotAssignment, ANewReaderTakesTheFirstFreeSlot) {
  DeviceTable table;
  scanAtDrive(table, readerWithSerial("FIRST"), 'D');
  table.entries[1].inUse = 1;  // a slot another route filled
  scanAtDrive(table, readerWithSerial("THIRD"), 'F');
  scanAtDrive(table, readerWithSerial("SECOND"), 'E');
  table.entries[1] = DeviceEntry{};
  const auto result = scanAtDrive(table, readerWithSerial("FOURTH"), 'G');
  EXPECT_EQ(result.slot, 1u);
  EXPECT_EQ(letters(table.entries[1]), "G");
  EXPECT_EQ(letters(table.entries[2]), "F");
  EXPECT_EQ(letters(table.entries[3]), "E");
}

TEST(SlotAssignment, NewEntryIsDecodedFromTheIdentifyBuffer) {
  DeviceTable table;
  table.entries[0].driveLetters = {'X', 'Y', 'Z', 'W', 'V'};  // leftovers are overwritten unit by unit
  const auto result = scanAtDrive(table, sampleReader(), 'K');
  const DeviceEntry& entry = table.entries[result.slot];
  EXPECT_EQ(entry.inUse, 1u);
  EXPECT_EQ(std::string(entry.strSerial.data(), 12), "0123456789AB");
  EXPECT_EQ(entry.usbHwRevision, (HardwareRevision{0x30, 0x46, 'C'}));
  EXPECT_EQ(table.hardwareRevisionText, "304643");
  EXPECT_EQ(letters(entry), "K");
  EXPECT_EQ(table.selectedLetterCount, 1u);
}

TEST(SlotAssignment, AspiUnitsCountTargetsAndKeepTheFirstAddress) {
  DeviceTable table;
  table.identifyData = identifyBlock(readerWithSerial("ASPIREADER"));
  const auto first = assignSlot(table, ScannedUnit::atAspi(1, 2));
  const auto second = assignSlot(table, ScannedUnit::atAspi(1, 3));
  table.identifyData = identifyBlock(readerWithSerial("OTHER"));
  const auto other = assignSlot(table, ScannedUnit::atAspi(2, 0));

  EXPECT_EQ(first.outcome, SlotOutcome::NewEntry);
  EXPECT_EQ(second.outcome, SlotOutcome::AddedUnit);
  const DeviceEntry& entry = table.entries[0];
  EXPECT_EQ(entry.letterCount, 2);
  EXPECT_EQ(entry.aspiAdapter, 1);
  EXPECT_EQ(entry.aspiTarget, 2);
  EXPECT_EQ(entry.driveLetters, (std::array<char, 5>{}));  // read from the registry afterwards
  EXPECT_EQ(other.slot, 1u);
  EXPECT_EQ(table.entries[1].aspiAdapter, 2);
  EXPECT_EQ(table.entries[1].aspiTarget, 0);
  EXPECT_EQ(table.deviceCount, 2u);
}

}  // namespace
}  // namespace updater
