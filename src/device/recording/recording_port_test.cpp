#include "device/recording/recording_port.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "device/pass_through/pass_through.h"
#include "device/recording/recording_text.h"
#include "platform/sim/machine_file.h"
#include "platform/sim/machine_recording.h"
#include "testing/program_harness.h"
#include "testing/session_print.h"

namespace updater {
namespace {

std::vector<Byte> bytesFrom(std::size_t count, Byte first) {
  std::vector<Byte> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<Byte>(first + i);
  return bytes;
}

std::vector<Byte> blockBytes(const CommandBlock& cdb) { return {cdb.begin(), cdb.end()}; }

const std::vector<Byte> kSense = {0x70, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x24};
const CommandBlock kIdentifyBlock = {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
const CommandBlock kTransferBlock = sendIspDataBlock(IspDataMode::Program, 0, 4, 512);

/// The data phase of kTransferBlock: four bytes, then zeros up to 512.
std::vector<Byte> transferData() {
  std::vector<Byte> data(512, 0);
  std::copy_n(bytesFrom(4, 0x41).begin(), 4, data.begin());
  return data;
}

SessionAnswer answered(std::vector<Byte> dataIn, Byte status = 0, std::vector<Byte> sense = {}) {
  return {false, status, std::move(dataIn), std::move(sense)};
}

/// Sends the row's request the way the program does.
void sendRequest(PassThroughDrive& drive, const std::string& name) {
  std::vector<Byte> buffer(528, 0);
  if (name == "deviceIdentify") {
    drive.deviceIdentify(buffer);
    return;
  }
  PassThroughChannel channel(drive);
  std::vector<Byte> data = transferData();
  VendorCommand command{getIspStatusBlock(), Direction::In, 8, Bytes(buffer).first(8)};
  if (name == "sendIspData") command = {kTransferBlock, Direction::Out, 512, Bytes(data).first(4)};
  channel.execute(command);
}

struct AnswerRow {
  const char* what;
  SessionExchange exchange;
};

// The reader answers each row's request from a session that holds just it;
// the recording port, above the simulated machine, must write down the
// very exchange, and the machine file it makes must read back to it.
TEST(RecordingPort, EveryKindOfAnswerIsWrittenDownAsTheReaderGaveIt) {
  const SessionRequest statusRead{"getIspStatus", blockBytes(getIspStatusBlock()), {}};
  const SessionRequest transfer{"sendIspData", blockBytes(kTransferBlock), transferData()};
  const AnswerRow kRows[] = {
      {"a status read answered", {statusRead, answered({0x9C, 0, 0, 0, 0, 0, 0, 0x01})}},
      {"a transport failure", {statusRead, transportFailure()}},
      {"check condition with sense", {statusRead, answered({}, 0x02, kSense)}},
      {"check condition with sense and data", {statusRead, answered({0x33, 1, 2, 3, 4, 5, 6, 7}, 0x02, kSense)}},
      {"a short identify block", {{"deviceIdentify", blockBytes(kIdentifyBlock), {}}, answered(bytesFrom(100, 1))}},
      {"data out, refused", {transfer, answered({}, 0x02, kSense)}},
      {"data out, taken", {transfer, answered({})}},
  };
  for (const AnswerRow& row : kRows) {
    SCOPED_TRACE(row.what);
    MachineDescription description = harnessMachine();
    ReaderDescription reader;
    reader.letters = "E";
    reader.session = ReaderSession{row.exchange};
    description.readers = {reader};
    ProgramHarness harness(description);
    RecordingPort recorder(harness.machine);
    PassThroughDrive drive(recorder);
    ASSERT_TRUE(drive.open('E'));
    sendRequest(drive, row.exchange.request.name);
    drive.close();

    EXPECT_TRUE(harness.transcript.ofKind(EventKind::Violation).empty()) << "the request is the one recorded";
    const RecordedMachine recording = recorder.recording();
    ASSERT_EQ(recording.readers.size(), 1u);
    EXPECT_EQ(recording.readers[0].session, ReaderSession{row.exchange});
    const MachineFileResult readBack = parseMachineFile(recordingFileText(recording), ".");
    ASSERT_TRUE(readBack.machine.has_value()) << readBack.error;
    EXPECT_EQ(readBack.machine->readers.at(0).session, ReaderSession{row.exchange});
  }
}

template <std::size_t N>
void setIdentity(std::array<char, N>& field, std::string_view text) {
  field.fill(' ');
  std::copy(text.begin(), text.end(), field.begin());
}

ReaderDescription readerAt(std::string letters, std::string serial) {
  ReaderDescription reader;
  reader.letters = std::move(letters);
  reader.serial = std::move(serial);
  return reader;
}

// A scan of plain drives and two readers, one with two units: the letters
// that answered the same identify block are one reader, each reader's
// session is what the simulated reader wrote down itself, and the drives
// that only answered INQUIRY are plain drives.
TEST(RecordingPort, LettersWithOneIdentifyBlockAreOneReaderAndTheOthersDrives) {
  MachineDescription description = harnessMachine();
  description.drives = "CD";
  description.readers = {readerAt("EG", "000000000001"), readerAt("F", "000000000002")};
  ProgramHarness harness(description);
  harness.machine.recordSessions();
  RecordingPort recorder(harness.machine);
  PassThroughDrive drive(recorder);
  DeviceTable table;
  AcceptedIdentities accepted;
  setIdentity(accepted.fa, "Generic USB Reader      1.00");
  setIdentity(accepted.fb, "Other   Reader B        1.00");
  scanDrives(drive, table, DriveScanIdentity::Accepted, accepted);
  ASSERT_EQ(table.deviceCount, 2u);

  const RecordedMachine recording = recorder.recording();
  EXPECT_EQ(recording.drives, "CD");
  ASSERT_EQ(recording.readers.size(), 2u);
  EXPECT_EQ(recording.readers[0].letters, "EG");
  EXPECT_EQ(recording.readers[1].letters, "F");
  const MachineDescription simRecording = recordedMachine(harness.machine);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(recording.readers[i].session, simRecording.readers[i].session.value_or(ReaderSession{})) << i;
    EXPECT_EQ(recording.readers[i].inquiryData.size(), 36u);
    EXPECT_EQ(recording.readers[i].identify.size(), 528u);
  }
  EXPECT_EQ(recording.versionWord, versionWord(description.windows));
}

}  // namespace
}  // namespace updater
