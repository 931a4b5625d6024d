#include "platform/sim/sim_aspi.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/aspi_srb.h"
#include "platform/port_owned.h"
#include "platform/sim/sim_machine.h"

namespace updater {
namespace {

namespace srb = aspi_srb;

/// A request block as the published layout has it, built here field by
/// field, with its data buffer.
struct TestRequest {
  std::vector<Byte> block = std::vector<Byte>(srb::kBlockSize, 0);
  std::vector<Byte> data;
};

TestRequest request(std::vector<Byte> cdb, Byte flags, std::uint32_t bufLen, std::size_t bufferSize,
                    std::uint8_t adapter = 0, std::uint8_t target = 0) {
  TestRequest r;
  r.data.assign(bufferSize, 0);
  Bytes block(r.block);
  putU8(block, 0, 0x02);                                  // SRB_Cmd
  putU8(block, 2, adapter);                               // SRB_HaId
  putU8(block, 3, flags);                                 // SRB_Flags
  putU8(block, 8, target);                                // SRB_Target
  putU32(block, 12, bufLen);                              // SRB_BufLen
  putU8(block, 20, 14);                                   // SRB_SenseLen
  putU8(block, 21, static_cast<std::uint8_t>(cdb.size()));  // SRB_CDBLen
  std::copy(cdb.begin(), cdb.end(), block.begin() + 48);  // CDBByte
  return r;
}

TestRequest inquiryRequest(std::uint8_t adapter = 0, std::uint8_t target = 0) {
  return request({0x12, 0, 0, 0, 0x28, 0}, 0x09, 40, 40, adapter, target);
}

TestRequest sendRequest(std::uint32_t bufLen) {
  // Program mode, 1000 bytes, two blocks.
  return request({0x06, 0xB1, 0, 0, 0xE8, 0x03, 0x02, 0, 0, 0, 0, 0}, 0x11, bufLen, 1024);
}

TestRequest jumpRequest(std::size_t bufferSize) {
  return request({0x06, 0xBF, 0, 0, 0x08, 0x08, 0, 0, 0, 0, 0, 0}, 0x09, 0, bufferSize);
}

SimAspiCheck check(TestRequest& r) {
  DataAddressTable addresses;
  if (getU32(r.block, 16) == 0) putU32(r.block, 16, addresses.add(r.data));
  return checkAspiRequest(r.block, addresses);
}

struct DeviationRow {
  const char* name;
  std::function<TestRequest()> make;
  std::function<void(Bytes)> change;
  std::string violation;
};

TEST(AspiSimRequests, ABlockThatDeviatesIsRejectedNamingTheField) {
  const auto none = [](Bytes) {};
  const DeviationRow rows[] = {
      {"command code", [] { return inquiryRequest(); }, [](Bytes b) { b[0] = 1; }, "inquiry: SRB_Cmd 1, expected 2"},
      {"status not cleared", [] { return inquiryRequest(); }, [](Bytes b) { b[1] = 4; },
       "inquiry: SRB_Status 4, expected 0"},
      {"flags without posting", [] { return inquiryRequest(); }, [](Bytes b) { b[3] = 0x08; },
       "inquiry: SRB_Flags 8, expected 9"},
      {"reserved header", [] { return inquiryRequest(); }, [](Bytes b) { b[7] = 1; },
       "inquiry: SRB_Hdr_Rsvd 16777216, expected 0"},
      {"logical unit", [] { return inquiryRequest(); }, [](Bytes b) { b[9] = 1; }, "inquiry: SRB_Lun 1, expected 0"},
      {"buffer length", [] { return inquiryRequest(); }, [](Bytes b) { putU32(b, 12, 36); },
       "inquiry: SRB_BufLen 36, expected 40"},
      {"sense length", [] { return inquiryRequest(); }, [](Bytes b) { b[20] = 18; },
       "inquiry: SRB_SenseLen 18, expected 14"},
      {"command block length", [] { return inquiryRequest(); }, [](Bytes b) { b[21] = 12; },
       "inquiry: SRB_CDBLen 12, expected 6"},
      {"posting routine", [] { return inquiryRequest(); }, [](Bytes b) { putU32(b, 24, 0x1234); },
       "inquiry: SRB_PostProc 4660, expected 0"},
      {"reserved bytes", [] { return inquiryRequest(); }, [](Bytes b) { b[47] = 1; },
       "inquiry: SRB_Rsvd2 byte 47 1, expected 0"},
      {"allocation length", [] { return inquiryRequest(); }, [](Bytes b) { b[52] = 0x24; },
       "inquiry: CDBByte[4] 36, expected 40"},
      {"command block past its length", [] { return inquiryRequest(); }, [](Bytes b) { b[54] = 1; },
       "inquiry: CDBByte[6] 1, expected 0"},
      {"sense area", [] { return inquiryRequest(); }, [](Bytes b) { b[79] = 1; },
       "inquiry: SenseArea byte 79 1, expected 0"},
      {"past the structure", [] { return inquiryRequest(); }, [](Bytes b) { b[255] = 1; },
       "inquiry: block byte 255 1, expected 0"},
      {"unknown command", [] { return inquiryRequest(); }, [](Bytes b) { b[48] = 0x28; },
       "request block: unknown command block 28000000280000000000000000000000"},
      {"data out without the padded length", [] { return sendRequest(1000); }, none,
       "sendIspData: SRB_BufLen 1000, expected 1024"},
      {"data out as data in", [] { return sendRequest(1024); }, [](Bytes b) { b[3] = 0x09; },
       "sendIspData: SRB_Flags 9, expected 17"},
      {"jump without its buffer", [] { return jumpRequest(0); }, none,
       "jumpToIsp: SRB_BufPointer 0 names no buffer of 40 bytes"},
  };
  for (const auto& row : rows) {
    TestRequest r = row.make();
    row.change(r.block);
    const SimAspiCheck result = check(r);
    EXPECT_FALSE(result.request) << row.name;
    EXPECT_EQ(result.violation, row.violation) << row.name;
  }
}

TEST(AspiSimRequests, AWellFormedBlockIsTakenApart) {
  TestRequest send = sendRequest(1024);
  const SimAspiCheck sent = check(send);
  ASSERT_TRUE(sent.request) << sent.violation;
  EXPECT_STREQ(aspiRequestName(*sent.request), "sendIspData");
  EXPECT_EQ(sent.request->bufLen, 1024u);
  EXPECT_EQ(sent.request->dataOut.data(), send.data.data());
  EXPECT_TRUE(sent.request->dataIn.empty());

  TestRequest jump = jumpRequest(40);
  const SimAspiCheck jumped = check(jump);
  ASSERT_TRUE(jumped.request) << jumped.violation;
  EXPECT_EQ(jumped.request->bufLen, 0u);

  std::vector<Byte> shortBlock(255, 0);
  EXPECT_EQ(checkAspiRequest(shortBlock, DataAddressTable()).violation, "request block: size 255, expected 256");
}

// --- Through the machine ------------------------------------------------------

class RecordingPosting : public AspiPostingRoutine {
 public:
  void posted(Bytes block) override { statuses.push_back(block[srb::kStatus]); }
  std::vector<Byte> statuses;
};

class AspiSimMachine : public ::testing::Test {
 protected:
  void build(const MachineDescription& description) {
    machine_ = std::make_unique<SimMachine>(transcript_, description);
    module_ = UniqueModule(*machine_, machine_->loadLibrary("WNASPI32"));
    send_ = machine_->procAddress(module_.get(), "SendASPI32Command");
  }

  // Sends `r` with its buffer named by the machine's address.
  std::uint32_t send(TestRequest& r, RecordingPosting& posting) {
    putU32(r.block, 16, machine_->dataAddress(r.data));
    return machine_->sendAspi32Command(send_, r.block, posting);
  }

  static ReaderDescription reader(std::string letters, int adapter, std::vector<int> targets) {
    ReaderDescription description;
    description.letters = std::move(letters);
    description.serial = "000000000001";
    description.aspiAdapter = adapter;
    description.aspiTargets = std::move(targets);
    return description;
  }

  Transcript transcript_;
  std::unique_ptr<SimMachine> machine_;
  UniqueModule module_;
  EntryPointValue send_ = EntryPointValue::None;
};

TEST_F(AspiSimMachine, ReadersAnswerAtTheirAdapterAndTargets) {
  MachineDescription description;
  ReaderDescription failing = reader("F", 1, {0});
  failing.failures = {{"inquiry", 1, FailureKind::Transport},
                      {"inquiry", 2, FailureKind::ScsiStatus},
                      {"inquiry", 3, FailureKind::Unplugged}};
  description.readers = {reader("E", 0, {0, 3}), failing};
  build(description);

  struct Row {
    const char* name;
    std::uint8_t adapter;
    std::uint8_t target;
    Byte srbStatus;
    Byte haStat;
    Byte targStat;
    int reader;
  };
  const Row rows[] = {
      {"first target", 0, 0, srb::kComplete, 0, 0, 1},
      {"second target", 0, 3, srb::kComplete, 0, 0, 1},
      {"nobody there", 0, 1, srb::kNoDevice, 0, 0, 0},
      {"transport failure", 1, 0, srb::kError, srb::kHaStatSelectionTimeout, 0, 2},
      {"check condition", 1, 0, srb::kError, 0, 2, 2},
      {"unplugged", 1, 0, srb::kNoDevice, 0, 0, 2},
      {"gone", 1, 0, srb::kNoDevice, 0, 0, 0},
      {"past the last adapter", 2, 0, srb::kInvalidHa, 0, 0, 0},
  };
  for (const auto& row : rows) {
    TestRequest r = inquiryRequest(row.adapter, row.target);
    RecordingPosting posting;
    EXPECT_EQ(send(r, posting), srb::kPending) << row.name;
    ASSERT_EQ(posting.statuses.size(), 1u) << row.name << ": posted before the send returned";
    EXPECT_EQ(posting.statuses[0], row.srbStatus) << row.name;
    EXPECT_EQ(r.block[srb::kHaStat], row.haStat) << row.name;
    EXPECT_EQ(r.block[srb::kTargStat], row.targStat) << row.name;
    if (row.srbStatus == srb::kComplete) {
      EXPECT_EQ(std::string(r.data.begin() + 8, r.data.begin() + 16), "Generic ") << row.name;
    }
    const TranscriptEvent& io = machine_->requests().back();
    EXPECT_EQ(io.route, "Aspi") << row.name;
    EXPECT_EQ(io.name, "inquiry") << row.name;
    EXPECT_EQ(io.reader, row.reader) << row.name;
    EXPECT_EQ(io.ok, row.srbStatus == srb::kComplete) << row.name;
  }
  EXPECT_TRUE(machine_->violations().empty());
}

TEST_F(AspiSimMachine, ARejectedBlockIsPostedWithAnErrorAndNamed) {
  build({});
  TestRequest r = inquiryRequest();
  r.block[srb::kSenseLen] = 0;
  RecordingPosting posting;
  send(r, posting);
  EXPECT_EQ(posting.statuses, std::vector<Byte>{srb::kError});
  ASSERT_EQ(machine_->violations().size(), 1u);
  EXPECT_EQ(machine_->violations()[0], "Aspi inquiry: SRB_SenseLen 0, expected 14");
  EXPECT_TRUE(machine_->requests().empty()) << "it never reached a device";
}

TEST_F(AspiSimMachine, ALatePostingWaitsForTheClockAndUnloadingPostsTheRestAsAborted) {
  MachineDescription description;
  description.readers = {reader("E", 0, {0})};
  build(description);
  machine_->aspiPostingDelayMs = 50;
  TestRequest first = inquiryRequest();
  RecordingPosting firstPosting;
  send(first, firstPosting);
  machine_->aspiPostingDelayMs = 1'000'000;
  TestRequest second = inquiryRequest();
  RecordingPosting secondPosting;
  send(second, secondPosting);

  EXPECT_TRUE(firstPosting.statuses.empty());
  EXPECT_EQ(machine_->pendingAspiPostings(), 2u);
  machine_->sleep(49);
  EXPECT_TRUE(firstPosting.statuses.empty());
  machine_->sleep(1);
  EXPECT_EQ(firstPosting.statuses, std::vector<Byte>{srb::kComplete});
  EXPECT_TRUE(secondPosting.statuses.empty());

  module_.reset();
  EXPECT_EQ(secondPosting.statuses, std::vector<Byte>{srb::kAborted});
  EXPECT_EQ(machine_->pendingAspiPostings(), 0u);
  EXPECT_EQ(machine_->loadedModuleCount(), 0);
}

TEST_F(AspiSimMachine, TheRegistryHoldsEachLetterUnderTheReadersKey) {
  MachineDescription description;
  ReaderDescription two = reader("EF", 0, {0, 1});
  two.inquiry = {"Generic", "Card Reader", "2.10"};
  description.readers = {two};
  build(description);
  const std::string key =
      "Enum\\SCSI\\Generic_Card_Reader_____2\\USBSTOR&DISK&VEN_Generic&PROD_Card_Reader&REV_2.10&000000000001";
  EXPECT_EQ(machine_->registry.at(key + "&000").at("CurrentDriveLetterAssignment"), (std::vector<Byte>{'E', 0}));
  EXPECT_EQ(machine_->registry.at(key + "&100").at("CurrentDriveLetterAssignment"), (std::vector<Byte>{'F', 0}));
  EXPECT_EQ(machine_->registry.count(key + "&200"), 0u) << "two units, two ASPI keys";
}

}  // namespace
}  // namespace updater
