#include "platform/sim/machine_file_writer.h"

#include <gtest/gtest.h>

#include "platform/sim/machine_file.h"

namespace updater {
namespace {

ReaderSession everyKindOfExchange() {
  SessionExchange inquiry{{"inquiry", {0x12, 0, 0, 0, 0x24, 0}, {}}, {}};
  inquiry.answer.dataIn = {0x00, 0x80, 0x02, 0x02};
  SessionExchange checkCondition{{"getIspStatus", {0x06, 0xB0}, {}}, {}};
  checkCondition.answer.status = 0x02;
  checkCondition.answer.sense = {0x70, 0x00, 0x05};
  const SessionExchange failed{{"sendIspData", {0x06, 0xB1}, {0xAA, 0x55}}, transportFailure()};
  const SessionExchange noBlock{{"unitCount", {}, {}}, {}};
  return {inquiry, checkCondition, failed, noBlock};
}

void expectSameSession(const ReaderSession& actual, const ReaderSession& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("exchange " + std::to_string(i));
    EXPECT_EQ(actual[i].request.name, expected[i].request.name);
    EXPECT_EQ(actual[i].request.cdb, expected[i].request.cdb);
    EXPECT_EQ(actual[i].request.dataOut, expected[i].request.dataOut);
    EXPECT_EQ(actual[i].answer.transportFailure, expected[i].answer.transportFailure);
    EXPECT_EQ(actual[i].answer.status, expected[i].answer.status);
    EXPECT_EQ(actual[i].answer.dataIn, expected[i].answer.dataIn);
    EXPECT_EQ(actual[i].answer.sense, expected[i].answer.sense);
  }
}

TEST(MachineFileWriter, WrittenMachineReadsBackAsTheSameMachine) {
  MachineDescription machine;
  machine.windows = {false, 4, 90};
  machine.date = LocalDate{2008, 5, 20};
  machine.drives = "CD";
  machine.selfDrivers = {"KVDKPDRV", "UDSKIO"};
  machine.selfDriverDeviceCount = 3;
  machine.aspi = AspiLayerState::NoAdapter;
  ReaderDescription fields;
  fields.letters = "EF";
  fields.units = 1;
  fields.inquiry = {"Gen\xE9ric", "USB Reader", "1.00"};
  fields.vendorId = 0x1234;
  fields.productId = 0xABCD;
  fields.manufacturer = "Maker \xFF";
  fields.serial = "000000000001";
  fields.identifyInquiry = ReaderInquiry{"DEMO", "Card Reader", "2.00"};
  fields.fwRevision = {1, 3, 7, 7, 0x0B, 0x1C, 0, 0};
  fields.hwRevision = {0x40, 0x23, 0x41};
  fields.msLoaderRevision = "verL1.0a";
  fields.aspiAdapter = 1;
  fields.aspiTargets = {0, 2};
  fields.session = everyKindOfExchange();
  ReaderDescription block;
  block.letters = "G";
  block.identify = IdentifyBlock{};
  (*block.identify)[527] = 0x5A;
  block.session = ReaderSession{};
  machine.readers = {fields, block};

  const MachineFileResult read = parseMachineFile(machineFileText(machine), ".");
  ASSERT_TRUE(read.machine) << read.error;
  const MachineDescription& back = *read.machine;
  EXPECT_EQ(versionWord(back.windows), versionWord(machine.windows));
  EXPECT_EQ(back.date, machine.date);
  EXPECT_EQ(back.drives, "CD");
  EXPECT_EQ(back.selfDrivers, machine.selfDrivers);
  EXPECT_EQ(back.selfDriverDeviceCount, 3);
  EXPECT_EQ(back.aspi, AspiLayerState::NoAdapter);
  ASSERT_EQ(back.readers.size(), 2u);
  const ReaderDescription& first = back.readers[0];
  EXPECT_EQ(first.letters, "EF");
  EXPECT_EQ(first.units, 1);
  EXPECT_EQ(first.inquiry.vendor, "Gen\xE9ric");
  EXPECT_EQ(first.vendorId, 0x1234);
  EXPECT_EQ(first.productId, 0xABCD);
  EXPECT_EQ(first.manufacturer, "Maker \xFF");
  EXPECT_EQ(first.serial, "000000000001");
  ASSERT_TRUE(first.identifyInquiry);
  EXPECT_EQ(first.identifyInquiry->product, "Card Reader");
  EXPECT_EQ(first.fwRevision, fields.fwRevision);
  EXPECT_EQ(first.hwRevision, fields.hwRevision);
  EXPECT_EQ(first.msLoaderRevision, "verL1.0a");
  EXPECT_EQ(first.aspiAdapter, 1);
  EXPECT_EQ(first.aspiTargets, (std::vector<int>{0, 2}));
  ASSERT_TRUE(first.session);
  expectSameSession(*first.session, *fields.session);
  ASSERT_TRUE(back.readers[1].identify);
  EXPECT_EQ(*back.readers[1].identify, *block.identify);
  ASSERT_TRUE(back.readers[1].session);
  EXPECT_TRUE(back.readers[1].session->empty());
}

TEST(MachineFileWriter, HostMachineKeepsItsHostAndUnitNames) {
  MachineDescription machine;
  machine.host = {"Linux", "6.1.0-28-amd64"};
  machine.drives = "";
  ReaderDescription reader;
  reader.letters = "E";
  reader.unitNames = {"sdb"};
  machine.readers = {reader};

  const MachineFileResult read = parseMachineFile(machineFileText(machine), ".");
  ASSERT_TRUE(read.machine) << read.error;
  EXPECT_EQ(read.machine->host.name, "Linux");
  EXPECT_EQ(read.machine->host.release, "6.1.0-28-amd64");
  EXPECT_EQ(read.machine->drives, "");
  EXPECT_EQ(read.machine->readers.at(0).unitNames, std::vector<std::string>{"sdb"});
  EXPECT_FALSE(read.machine->readers.at(0).session) << "no session written: the reader answers live";
}

}  // namespace
}  // namespace updater
