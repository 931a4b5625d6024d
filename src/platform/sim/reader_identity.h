#pragma once

// What a simulated reader says about itself: its INQUIRY answer and its
// 528-byte identify block, built from the reader's description at the byte
// offsets the controller's firmware uses.

#include <array>

#include "common/bytes.h"
#include "platform/sim/machine_description.h"

namespace updater {

inline constexpr std::size_t kInquiryAnswerSize = 36;
using InquiryAnswer = std::array<Byte, kInquiryAnswerSize>;

/// Byte offsets of the texts in standard INQUIRY data.
namespace inquiry_offset {
inline constexpr std::size_t kVendor = 8;
inline constexpr std::size_t kProduct = 16;
inline constexpr std::size_t kRevision = 32;
}  // namespace inquiry_offset

/// Standard INQUIRY data of a direct-access device: `removable` sets the
/// RMB bit; vendor, product and revision at their offsets, blank-padded.
InquiryAnswer inquiryAnswer(const ReaderInquiry& identity, bool removable);

/// The texts of INQUIRY data of at least kInquiryAnswerSize bytes, without
/// the blanks and NULs that pad them.
ReaderInquiry inquiryTexts(ConstBytes answer);

/// The reader's identify block: `reader.identify` when given, else built
/// from the identity fields. `msInLoader` selects which Memory Stick
/// revision bytes 188..195 carry.
IdentifyBlock identifyBlock(const ReaderDescription& reader, bool msInLoader = false);

/// Byte offsets of the identify block.
namespace identify_offset {
inline constexpr std::size_t kVendorId = 8;           // u16
inline constexpr std::size_t kProductId = 10;         // u16
inline constexpr std::size_t kManufacturer = 46;      // 24 characters, NUL-padded
inline constexpr std::size_t kProduct = 72;           // 16 characters, NUL-padded
inline constexpr std::size_t kSerial = 98;            // 12 UTF-16LE characters, NUL-padded
inline constexpr std::size_t kFwRevision = 148;       // 8 bytes
inline constexpr std::size_t kInquiryProduct = 156;   // 16 characters, blank-padded
inline constexpr std::size_t kInquiryVendor = 176;    // 8 characters, blank-padded
inline constexpr std::size_t kInquiryRevision = 184;  // 4 characters, blank-padded
inline constexpr std::size_t kMsRevision = 188;       // 4 words, two characters each, first in the high byte
inline constexpr std::size_t kFwRevisionOrg = 378;    // 4 bytes
inline constexpr std::size_t kHwRevision = 382;       // 3 bytes
inline constexpr std::size_t kUsb20FwRevision = 520;  // 8 bytes
}  // namespace identify_offset

/// Field widths of texts, shared by the block builder and the machine file.
namespace identity_width {
inline constexpr std::size_t kInquiryVendor = 8;
inline constexpr std::size_t kInquiryProduct = 16;
inline constexpr std::size_t kInquiryRevision = 4;
inline constexpr std::size_t kManufacturer = 24;
inline constexpr std::size_t kProduct = 16;
inline constexpr std::size_t kSerial = 12;
inline constexpr std::size_t kMsRevision = 8;
}  // namespace identity_width

}  // namespace updater
