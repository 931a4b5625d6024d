#include "platform/sim/reader_identity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace updater {
namespace {

ReaderDescription exampleReader() {
  ReaderDescription reader;
  reader.inquiry = {"Generic", "USB Card Reader", "1.00"};
  reader.vendorId = 0x1234;
  reader.productId = 0x5678;
  reader.manufacturer = "Maker";
  reader.product = "Reader";
  reader.serial = "000000000001";
  reader.identifyInquiry = ReaderInquiry{"Vend", "Prod", "2.0"};
  reader.fwRevision = {0x01, 0x02, 0x03, 0x07, 0x0C, 0x19, 0x00, 0x00};
  reader.usb20FwRevision = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x07, 0x18};
  reader.fwRevisionOrg = {0x21, 0x22, 0x23, 0x24};
  reader.hwRevision = {0x40, 0x23, 0x41};
  reader.msRevision = "10AB";
  reader.msLoaderRevision = "LD";
  return reader;
}

std::vector<Byte> bytesOf(const std::string& text) { return std::vector<Byte>(text.begin(), text.end()); }

std::vector<Byte> utf16(const std::string& text) {
  std::vector<Byte> bytes;
  for (const char c : text) bytes.insert(bytes.end(), {static_cast<Byte>(c), 0});
  return bytes;
}

struct FieldRow {
  const char* name;
  std::size_t offset;
  std::vector<Byte> expected;
};

TEST(ReaderIdentity, IdentifyFieldsSitAtTheirOffsets) {
  const IdentifyBlock block = identifyBlock(exampleReader());
  const FieldRow rows[] = {
      {"vendor id, low byte first", 8, {0x34, 0x12}},
      {"product id", 10, {0x78, 0x56}},
      {"manufacturer, NUL-padded", 46, bytesOf(std::string("Maker") + std::string(19, '\0'))},
      {"product", 72, bytesOf(std::string("Reader") + std::string(10, '\0'))},
      {"serial as UTF-16LE", 98, utf16("000000000001")},
      {"firmware revision", 148, {0x01, 0x02, 0x03, 0x07, 0x0C, 0x19, 0x00, 0x00}},
      {"identify inquiry product, blank-padded", 156, bytesOf("Prod            ")},
      {"identify inquiry vendor", 176, bytesOf("Vend    ")},
      {"identify inquiry revision", 184, bytesOf("2.0 ")},
      {"Memory Stick revision, first character high", 188, bytesOf(std::string("01BA\0\0\0\0", 8))},
      {"second firmware revision", 378, {0x21, 0x22, 0x23, 0x24}},
      {"hardware revision", 382, {0x40, 0x23, 0x41}},
      {"USB 2.0 firmware revision", 520, {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x07, 0x18}},
  };
  std::vector<bool> covered(block.size());
  for (const auto& row : rows) {
    const std::vector<Byte> actual(block.begin() + static_cast<std::ptrdiff_t>(row.offset),
                                   block.begin() + static_cast<std::ptrdiff_t>(row.offset + row.expected.size()));
    EXPECT_EQ(actual, row.expected) << row.name;
    for (std::size_t i = 0; i < row.expected.size(); ++i) covered[row.offset + i] = true;
  }
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (!covered[i]) {
      EXPECT_EQ(block[i], 0) << "byte " << i << " belongs to no field";
    }
  }
}

TEST(ReaderIdentity, DefaultsGiveInquiryTextsAndZeros) {
  const IdentifyBlock block = identifyBlock(ReaderDescription{});
  EXPECT_EQ(std::string(block.begin() + 176, block.begin() + 188), "Generic 1.00");
  EXPECT_EQ(std::string(block.begin() + 156, block.begin() + 172), "USB Reader      ");
  EXPECT_EQ(block[154], 0) << "a reader that answers overwrites the OEM code";
  EXPECT_EQ(block[382], 0);
}

TEST(ReaderIdentity, IdentifyInquiryFollowsTheInquiryUnlessGiven) {
  ReaderDescription reader = exampleReader();
  reader.identifyInquiry.reset();
  const IdentifyBlock block = identifyBlock(reader);
  EXPECT_EQ(std::string(block.begin() + 176, block.begin() + 184), "Generic ");
  EXPECT_EQ(std::string(block.begin() + 156, block.begin() + 172), "USB Card Reader ");
}

TEST(ReaderIdentity, MemoryStickLoaderShowsItsOwnRevision) {
  const IdentifyBlock block = identifyBlock(exampleReader(), true);
  EXPECT_EQ(std::string(block.begin() + 188, block.begin() + 196), std::string("DL\0\0\0\0\0\0", 8));
}

TEST(ReaderIdentity, AGivenBlockIsAnsweredAsItIs) {
  ReaderDescription reader = exampleReader();
  IdentifyBlock given{};
  for (std::size_t i = 0; i < given.size(); ++i) given[i] = static_cast<Byte>(i * 7);
  reader.identify = given;
  EXPECT_EQ(identifyBlock(reader), given);
  EXPECT_EQ(identifyBlock(reader, true), given);
}

TEST(ReaderIdentity, InquiryAnswerIsStandardInquiryData) {
  const InquiryAnswer answer = inquiryAnswer({"Generic", "USB Card Reader", "1.00"}, true);
  EXPECT_EQ(answer[0], 0x00);
  EXPECT_EQ(answer[1], 0x80);
  EXPECT_EQ(answer[4], 31);
  EXPECT_EQ(std::string(answer.begin() + 8, answer.end()), "Generic USB Card Reader 1.00");
}

}  // namespace
}  // namespace updater
