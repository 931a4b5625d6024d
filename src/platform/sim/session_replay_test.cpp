#include "platform/sim/session_replay.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

const SessionRequest kStatusRead{"getIspStatus", {0x06, 0xB0, 0x00}, {}};
const SessionRequest kTransfer{"sendIspData", {0x06, 0xB1, 0x00}, {0x10, 0x20, 0x30}};

SessionAnswer answerWith(Byte first) {
  SessionAnswer answer;
  answer.dataIn = {first};
  return answer;
}

struct DeviationRow {
  const char* what;
  SessionRequest sent;
  std::string text;
  std::size_t offset;
};

// The recording: a status read answered 9c, then a transfer answered by
// nothing. The replay's second request is the row's.
const DeviationRow kDeviations[] = {
    {"the command block differs", {"sendIspData", {0x06, 0xB2, 0x00}, {0x10, 0x20, 0x30}},
     "request 1 (sendIspData): byte 1 is 0xb2, recorded 0xb1", 1},
    {"the data differs", {"sendIspData", {0x06, 0xB1, 0x00}, {0x10, 0x21, 0x30}},
     "request 1 (sendIspData): byte 4 is 0x21, recorded 0x20", 4},
    {"the data is shorter", {"sendIspData", {0x06, 0xB1, 0x00}, {0x10, 0x20}},
     "request 1 (sendIspData): byte 5 is absent, recorded 0x30", 5},
    {"the data is longer", {"sendIspData", {0x06, 0xB1, 0x00}, {0x10, 0x20, 0x30, 0x40}},
     "request 1 (sendIspData): byte 6 is 0x40, recorded absent", 6},
    {"another request", kStatusRead, "request 1 (getIspStatus): recorded sendIspData", 0},
};

TEST(SessionReplay, RecordedRequestsGetTheirRecordedAnswersInOrder) {
  SessionReplay replay({{kStatusRead, answerWith(0x9C)}, {kTransfer, {}}, {kStatusRead, answerWith(0xA5)}});
  EXPECT_EQ(replay.answer(kStatusRead).dataIn, std::vector<Byte>{0x9C});
  const SessionAnswer transfer = replay.answer(kTransfer);
  EXPECT_FALSE(transfer.transportFailure);
  EXPECT_TRUE(transfer.dataIn.empty());
  EXPECT_EQ(replay.answer(kStatusRead).dataIn, std::vector<Byte>{0xA5});
  EXPECT_TRUE(replay.takeDeviations().empty());
}

TEST(SessionReplay, ARequestThatDiffersFailsAndNamesItsPlaceAndItsFirstDifferentByte) {
  for (const auto& row : kDeviations) {
    SCOPED_TRACE(row.what);
    SessionReplay replay({{kStatusRead, answerWith(0x9C)}, {kTransfer, {}}});
    replay.answer(kStatusRead);
    EXPECT_TRUE(replay.answer(row.sent).transportFailure);
    const std::vector<SessionDeviation> deviations = replay.takeDeviations();
    ASSERT_EQ(deviations.size(), 1u);
    EXPECT_EQ(deviations[0].index, 1u);
    EXPECT_EQ(deviations[0].offset, row.offset);
    EXPECT_EQ(deviations[0].text, row.text);
  }
}

TEST(SessionReplay, RequestsBeyondTheRecordingFailEachWithItsOwnPlace) {
  SessionReplay replay({{kStatusRead, answerWith(0x9C)}});
  replay.answer(kStatusRead);
  EXPECT_TRUE(replay.answer(kStatusRead).transportFailure);
  EXPECT_TRUE(replay.answer(kTransfer).transportFailure);
  const std::vector<SessionDeviation> deviations = replay.takeDeviations();
  ASSERT_EQ(deviations.size(), 2u);
  EXPECT_EQ(deviations[0].index, 1u);
  EXPECT_EQ(deviations[0].offset, 0u);
  EXPECT_EQ(deviations[0].text, "request 1 (getIspStatus): beyond the end of the recorded session");
  EXPECT_EQ(deviations[1].text, "request 2 (sendIspData): beyond the end of the recorded session");
  EXPECT_TRUE(replay.takeDeviations().empty()) << "each deviation is reported once";
}

}  // namespace
}  // namespace updater
