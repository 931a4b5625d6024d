#include "platform/sim/reader_identity.h"

#include <algorithm>
#include <string_view>

namespace updater {
namespace {

// Texts longer than their field are cut; the machine file refuses them
// before they get here.
void putText(Bytes out, std::size_t offset, std::size_t width, std::string_view text, Byte pad) {
  for (std::size_t i = 0; i < width; ++i) {
    out[offset + i] = i < text.size() ? static_cast<Byte>(text[i]) : pad;
  }
}

template <std::size_t N>
void putBytes(Bytes out, std::size_t offset, const std::array<Byte, N>& bytes) {
  std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

void putUtf16Text(Bytes out, std::size_t offset, std::size_t characters, std::string_view text) {
  for (std::size_t i = 0; i < characters; ++i) {
    putU16(out, offset + 2 * i, i < text.size() ? static_cast<Byte>(text[i]) : 0);
  }
}

// Two characters per little-endian word, the first in the high byte.
void putWordPairs(Bytes out, std::size_t offset, std::size_t characters, std::string_view text) {
  for (std::size_t i = 0; i < characters; ++i) {
    const Byte character = i < text.size() ? static_cast<Byte>(text[i]) : 0;
    out[offset + (i ^ 1)] = character;
  }
}

void putInquiryTexts(Bytes out, const ReaderInquiry& identity) {
  using namespace identify_offset;
  putText(out, kInquiryVendor, identity_width::kInquiryVendor, identity.vendor, ' ');
  putText(out, kInquiryProduct, identity_width::kInquiryProduct, identity.product, ' ');
  putText(out, kInquiryRevision, identity_width::kInquiryRevision, identity.revision, ' ');
}

}  // namespace

InquiryAnswer inquiryAnswer(const ReaderInquiry& identity, bool removable) {
  InquiryAnswer answer{};
  answer[0] = 0x00;  // direct-access block device
  answer[1] = removable ? 0x80 : 0x00;
  answer[2] = 0x02;  // SCSI-2
  answer[3] = 0x02;  // response data format
  answer[4] = kInquiryAnswerSize - 5;
  putText(answer, inquiry_offset::kVendor, identity_width::kInquiryVendor, identity.vendor, ' ');
  putText(answer, inquiry_offset::kProduct, identity_width::kInquiryProduct, identity.product, ' ');
  putText(answer, inquiry_offset::kRevision, identity_width::kInquiryRevision, identity.revision, ' ');
  return answer;
}

ReaderInquiry inquiryTexts(ConstBytes answer) {
  const auto text = [answer](std::size_t offset, std::size_t width) {
    const ConstBytes field = answer.subspan(offset, width);
    std::string trimmed(field.begin(), field.end());
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\0')) trimmed.pop_back();
    return trimmed;
  };
  return {text(inquiry_offset::kVendor, identity_width::kInquiryVendor),
          text(inquiry_offset::kProduct, identity_width::kInquiryProduct),
          text(inquiry_offset::kRevision, identity_width::kInquiryRevision)};
}

IdentifyBlock identifyBlock(const ReaderDescription& reader, bool msInLoader) {
  if (reader.identify) return *reader.identify;
  using namespace identify_offset;
  IdentifyBlock block{};
  putU16(block, kVendorId, reader.vendorId);
  putU16(block, kProductId, reader.productId);
  putText(block, kManufacturer, identity_width::kManufacturer, reader.manufacturer, 0);
  putText(block, kProduct, identity_width::kProduct, reader.product, 0);
  putUtf16Text(block, kSerial, identity_width::kSerial, reader.serial);
  putBytes(block, kFwRevision, reader.fwRevision);
  putInquiryTexts(block, reader.identifyInquiry.value_or(reader.inquiry));
  putWordPairs(block, kMsRevision, identity_width::kMsRevision,
               msInLoader ? reader.msLoaderRevision : reader.msRevision);
  putBytes(block, kFwRevisionOrg, reader.fwRevisionOrg);
  putBytes(block, kHwRevision, reader.hwRevision);
  putBytes(block, kUsb20FwRevision, reader.usb20FwRevision);
  return block;
}

}  // namespace updater
