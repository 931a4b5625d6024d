#include "device/recording/recording_text.h"

#include <gtest/gtest.h>

#include "platform/sim/machine_file.h"
#include "testing/session_print.h"

namespace updater {
namespace {

/// An INQUIRY answer with the three texts at their places, blank-padded.
std::vector<Byte> inquiryAnswer(std::string_view vendor, std::string_view product, std::string_view revision) {
  std::vector<Byte> data(36, ' ');
  data[0] = 0x00;
  data[1] = 0x80;
  std::copy(vendor.begin(), vendor.end(), data.begin() + 8);
  std::copy(product.begin(), product.end(), data.begin() + 16);
  std::copy(revision.begin(), revision.end(), data.begin() + 32);
  return data;
}

std::vector<Byte> identifyBlock() {
  std::vector<Byte> block(528);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<Byte>(i * 7);
  return block;
}

RecordedMachine sampleRecording() {
  RecordedMachine recording;
  recording.versionWord = 0x80005A04;  // Windows ME: non-NT 4.90
  recording.date = {2009, 2, 3};
  recording.drives = "CDZ";
  RecordedReader first;
  first.letters = "EF";
  first.inquiryData = inquiryAnswer("Q\"u\\o", std::string("T\x01\xe9\x7f", 4), "1.0");
  first.identify = identifyBlock();
  first.session = {
      {{"inquiry", {0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0}, {}}, {false, 0, first.inquiryData, {}}},
      {{"getIspStatus", {0x06, 0xB0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0}, {}}, {false, 0x02, {}, {0x70, 0, 0x05}}},
      {{"sendIspData", {0x06, 0xB1, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0}, {0x55, 0xAA}}, transportFailure()},
  };
  RecordedReader second;
  second.letters = "G";
  second.session = {{{"jumpToIsp", {0x06, 0xBF, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0}, {}}, {}}};
  recording.readers = {first, second};
  return recording;
}

TEST(RecordingText, TheMachineFileReaderReadsEveryFieldBack) {
  const RecordedMachine recording = sampleRecording();
  const MachineFileResult file = parseMachineFile(recordingFileText(recording), ".");
  ASSERT_TRUE(file.machine.has_value()) << file.error;
  const MachineDescription& machine = *file.machine;

  EXPECT_FALSE(machine.windows.nt);
  EXPECT_EQ(machine.windows.major, 4);
  EXPECT_EQ(machine.windows.minor, 90);
  EXPECT_EQ(machine.date, (LocalDate{2009, 2, 3}));
  EXPECT_EQ(machine.drives, "CDZ");
  ASSERT_EQ(machine.readers.size(), 2u);

  const ReaderDescription& first = machine.readers[0];
  EXPECT_EQ(first.letters, "EF");
  EXPECT_EQ(first.inquiry.vendor, "Q\"u\\o");
  EXPECT_EQ(first.inquiry.product, std::string("T\x01\xe9\x7f", 4));
  EXPECT_EQ(first.inquiry.revision, "1.0");
  ASSERT_TRUE(first.identify.has_value());
  EXPECT_TRUE(std::equal(first.identify->begin(), first.identify->end(), recording.readers[0].identify.begin()));
  EXPECT_EQ(first.session, recording.readers[0].session);

  const ReaderDescription& second = machine.readers[1];
  EXPECT_EQ(second.letters, "G");
  EXPECT_EQ(second.inquiry.vendor, ReaderInquiry{}.vendor) << "no INQUIRY answer: the default";
  EXPECT_FALSE(second.identify.has_value());
  EXPECT_EQ(second.session, recording.readers[1].session);
}

TEST(RecordingText, APcWithoutReadersIsThePcAlone) {
  RecordedMachine recording;
  recording.versionWord = 0x00000105;  // NT 5.1
  recording.date = {2026, 12, 11};
  const MachineFileResult file = parseMachineFile(recordingFileText(recording), ".");
  ASSERT_TRUE(file.machine.has_value()) << file.error;
  EXPECT_TRUE(file.machine->windows.nt);
  EXPECT_EQ(file.machine->windows.major, 5);
  EXPECT_EQ(file.machine->windows.minor, 1);
  EXPECT_EQ(file.machine->drives, "") << "written even when empty: an absent field would mean drive C";
  EXPECT_TRUE(file.machine->readers.empty());
}

}  // namespace
}  // namespace updater
