#include "device/aspi/aspi_request.h"

#include <algorithm>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace updater {
namespace {

namespace srb = aspi_srb;

InquiryIdentity identity(std::string_view text) {
  InquiryIdentity result{};
  std::copy(text.begin(), text.end(), result.begin());
  return result;
}

struct LayoutRow {
  const char* name;
  AspiCommand command;
  std::uint8_t flags;
  std::uint32_t bufLen;
  std::size_t bufferSize;
  std::uint8_t cdbLength;
  std::vector<Byte> cdbField;  // all 16 bytes of CDBByte
};

TEST(AspiRequest, BuildsThePublishedBlockForEachCommand) {
  std::array<Byte, 28> answer{};
  std::vector<Byte> image(1024, 0x5A);
  VendorCommand jump{jumpToIspBlock(0x08), Direction::None, 0, {}};
  VendorCommand status{getIspStatusBlock(), Direction::In, 28, answer};
  VendorCommand send{sendIspDataBlock(IspDataMode::Program, 0, 1000, 1024), Direction::Out, 1024, image};
  const LayoutRow rows[] = {
      {"inquiry", aspiInquiryCommand(), 0x09, 40, 40, 6,
       {0x12, 0, 0, 0, 0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"identify", aspiIdentifyCommand(), 0x09, 528, 528, 12,
       {0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}},
      {"jumpToIsp", aspiVendorCommand(jump), 0x09, 0, 40, 12,
       {0x06, 0xBF, 0, 0, 0x08, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"getIspStatus", aspiVendorCommand(status), 0x09, 28, 28, 12,
       {0x06, 0xB0, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"sendIspData", aspiVendorCommand(send), 0x11, 1024, 1024, 12,
       {0x06, 0xB1, 0, 0, 0xE8, 0x03, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& row : rows) {
    AspiRequest request(row.command, {3, 5});
    request.setBufferAddress(0x00401000);
    const ConstBytes block = request.block();
    ASSERT_EQ(block.size(), 256u) << row.name;
    EXPECT_EQ(getU8(block, srb::kCmd), 2) << row.name;
    EXPECT_EQ(getU8(block, srb::kStatus), 0) << row.name;
    EXPECT_EQ(getU8(block, srb::kHaId), 3) << row.name;
    EXPECT_EQ(getU8(block, srb::kFlags), row.flags) << row.name;
    EXPECT_EQ(getU32(block, srb::kHdrRsvd), 0u) << row.name;
    EXPECT_EQ(getU8(block, srb::kTarget), 5) << row.name;
    EXPECT_EQ(getU8(block, srb::kLun), 0) << row.name;
    EXPECT_EQ(getU32(block, srb::kBufLen), row.bufLen) << row.name;
    EXPECT_EQ(getU32(block, srb::kBufPointer), 0x00401000u) << row.name;
    EXPECT_EQ(getU8(block, srb::kSenseLen), 14) << row.name;
    EXPECT_EQ(getU8(block, srb::kCdbLen), row.cdbLength) << row.name;
    EXPECT_EQ(getU32(block, srb::kPostProc), 0u) << row.name << ": the port's to fill";
    EXPECT_TRUE(std::equal(row.cdbField.begin(), row.cdbField.end(), block.begin() + srb::kCdbByte)) << row.name;
    EXPECT_TRUE(std::all_of(block.begin() + srb::kSenseArea, block.end(), [](Byte b) { return b == 0; }))
        << row.name;
    EXPECT_EQ(request.data().size(), row.bufferSize) << row.name;
    EXPECT_FALSE(request.isDone()) << row.name;
  }
}

/// Completes `request` as the layer does, with `status` in SRB_Status.
void post(AspiRequest& request, Byte status) {
  putU8(request.block(), srb::kStatus, status);
  request.posted(request.block());
}

void putInquiry(AspiRequest& request, std::string_view vendorAndProduct) {
  std::copy(vendorAndProduct.begin(), vendorAndProduct.end(), request.data().begin() + 8);
}

TEST(AspiRequest, TheInquiryCheckNotesWhereEitherIdentityMatched) {
  const AspiIdentities wanted = {identity("Generic USB Reader      1.00"), identity("Other   Reader B        1.00")};
  struct Row {
    const char* name;
    std::string_view inquiry;
    Byte status;
    bool found;
  };
  const Row rows[] = {
      {"first identity", "Generic USB Reader      ", srb::kComplete, true},
      {"second identity", "Other   Reader B        ", srb::kComplete, true},
      {"neither", "Generic USB Reader2     ", srb::kComplete, false},
      {"completed with an error", "Generic USB Reader      ", srb::kError, false},
  };
  for (const auto& row : rows) {
    AspiRequest request(aspiInquiryCommand(), {2, 6}, wanted);
    putInquiry(request, row.inquiry);
    post(request, row.status);
    const AspiRequestState& state = request.state();
    EXPECT_TRUE(request.isDone()) << row.name;
    EXPECT_EQ(state.found.load(), row.found) << row.name;
    EXPECT_EQ(state.error.load(), row.status != srb::kComplete) << row.name;
    EXPECT_EQ(state.foundAdapter.load(), row.found ? 2 : 0) << row.name;
    EXPECT_EQ(state.foundTarget.load(), row.found ? 6 : 0) << row.name;
  }
}

TEST(AspiRequest, TheInquiryComparisonIsBoundedAndStopsAtAZeroByte) {
  struct Row {
    const char* name;
    std::string inquiry;
    std::string identity;
    bool matches;
  };
  const Row rows[] = {
      {"equal", "Generic USB Reader      ", "Generic USB Reader      9.99", true},
      {"zero byte in both", std::string("Gen\0xxxxxxxxxxxxxxxxxxxx", 24), std::string("Gen\0yyyy", 8), true},
      {"zero byte in the inquiry only", std::string("Gen\0", 4) + std::string(20, ' '), "Generic", false},
      {"zero byte in the identity only", "Generic USB Reader      ", std::string("Gen\0", 4), false},
      {"last compared byte differs", "Generic USB Reader     X", "Generic USB Reader      ", false},
  };
  for (const auto& row : rows) {
    std::vector<Byte> inquiry(row.inquiry.begin(), row.inquiry.end());
    inquiry.resize(24, 0);
    EXPECT_EQ(inquiryIdentityMatches(inquiry, identity(row.identity)), row.matches) << row.name;
  }
}

TEST(AspiRequest, VendorCompletionKeepsTheAnswerByteWhateverTheStatus) {
  std::array<Byte, 28> answer{};
  VendorCommand status{getIspStatusBlock(), Direction::In, 28, answer};
  for (const Byte srbStatus : {srb::kComplete, srb::kError}) {
    AspiRequest request(aspiVendorCommand(status), {0, 0});
    request.data()[0] = 0x9C;
    post(request, srbStatus);
    EXPECT_EQ(request.state().status.load(), 0x9C) << int{srbStatus};
    EXPECT_EQ(request.state().error.load(), srbStatus != srb::kComplete) << int{srbStatus};
  }
}

TEST(AspiRequest, APostingOnAnotherThreadIsSeenWithItsResults) {
  const AspiIdentities wanted = {identity("Nobody"), identity("Generic USB Reader      1.00")};
  AspiRequest request(aspiInquiryCommand(), {1, 4}, wanted);
  putInquiry(request, "Generic USB Reader      ");
  std::thread layer([&request] { post(request, srb::kComplete); });
  while (!request.isDone()) std::this_thread::yield();
  EXPECT_TRUE(request.state().found.load(std::memory_order_relaxed));
  EXPECT_EQ(request.state().foundTarget.load(std::memory_order_relaxed), 4);
  layer.join();
}

}  // namespace
}  // namespace updater
