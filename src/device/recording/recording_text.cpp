#include "device/recording/recording_text.h"

#include <string_view>

#include "common/json_text.h"
#include "device/inquiry_identity.h"

namespace updater {
namespace {

/// GetVersion's word: bit 31 set on the non-NT family, then the minor
/// version in the second byte and the major in the first.
std::string windowsJson(std::uint32_t versionWord) {
  const bool nt = (versionWord & 0x80000000u) == 0;
  return jsonInlineObject({jsonMember("nt", nt ? "true" : "false"),
                           jsonMember("major", std::to_string(versionWord & 0xFFu)),
                           jsonMember("minor", std::to_string(versionWord >> 8 & 0xFFu))});
}

std::string dateJson(const LocalDate& date) { return '"' + isoDate(date) + '"'; }

/// An INQUIRY answer's text at `offset`, without its blank padding.
std::string inquiryText(const std::vector<Byte>& data, std::size_t offset, std::size_t width) {
  std::string text(data.begin() + static_cast<std::ptrdiff_t>(offset),
                   data.begin() + static_cast<std::ptrdiff_t>(offset + width));
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Vendor at 8..15, product at 16..31, revision at 32..35.
std::string inquiryJson(const std::vector<Byte>& data) {
  constexpr std::size_t kVendor = kInquiryAnswerIdentityOffset;
  constexpr std::size_t kProduct = kInquiryAnswerIdentityOffset + kInquiryIdentityProductOffset;
  constexpr std::size_t kRevision = kInquiryAnswerIdentityOffset + kInquiryIdentityRevisionOffset;
  return jsonInlineObject({jsonMember("vendor", jsonString(inquiryText(data, kVendor, kInquiryVendorWidth))),
                           jsonMember("product", jsonString(inquiryText(data, kProduct, kInquiryProductWidth))),
                           jsonMember("revision", jsonString(inquiryText(data, kRevision, kInquiryRevisionWidth)))});
}

// A transport failure carries nothing else; absent fields are empty or 0.
std::string exchangeJson(const SessionExchange& exchange) {
  const SessionRequest& request = exchange.request;
  const SessionAnswer& answer = exchange.answer;
  std::vector<std::string> members = {jsonMember("request", jsonString(request.name))};
  if (!request.cdb.empty()) members.push_back(jsonMember("cdb", jsonHexBytes(request.cdb)));
  if (!request.dataOut.empty()) members.push_back(jsonMember("dataOut", jsonHexBytes(request.dataOut)));
  if (answer.transportFailure) {
    members.push_back(jsonMember("transportFailure", "true"));
    return jsonInlineObject(members);
  }
  if (!answer.dataIn.empty()) members.push_back(jsonMember("dataIn", jsonHexBytes(answer.dataIn)));
  if (answer.status != 0) members.push_back(jsonMember("status", jsonHexBytes(ConstBytes(&answer.status, 1))));
  if (!answer.sense.empty()) members.push_back(jsonMember("sense", jsonHexBytes(answer.sense)));
  return jsonInlineObject(members);
}

constexpr std::size_t kReaderIndent = 4;

std::string readerJson(const RecordedReader& reader) {
  std::vector<std::string> members = {jsonMember("letters", jsonString(reader.letters))};
  if (reader.inquiryData.size() == kInquiryAnswerLength) {
    members.push_back(jsonMember("inquiry", inquiryJson(reader.inquiryData)));
  }
  if (!reader.identify.empty()) members.push_back(jsonMember("identify", jsonHexBytes(reader.identify)));
  std::vector<std::string> session;
  for (const SessionExchange& exchange : reader.session) session.push_back(exchangeJson(exchange));
  members.push_back(jsonMember("session", jsonBlock('[', session, ']', kReaderIndent + 2)));
  return jsonBlock('{', members, '}', kReaderIndent);
}

}  // namespace

std::string recordingFileText(const RecordedMachine& recording) {
  std::vector<std::string> readers;
  for (const RecordedReader& reader : recording.readers) readers.push_back(readerJson(reader));
  const std::vector<std::string> members = {
      jsonMember("windows", windowsJson(recording.versionWord)),
      jsonMember("date", dateJson(recording.date)),
      jsonMember("drives", jsonString(recording.drives)),
      jsonMember("readers", jsonBlock('[', readers, ']', 2)),
  };
  return jsonBlock('{', members, '}', 0) + '\n';
}

}  // namespace updater
