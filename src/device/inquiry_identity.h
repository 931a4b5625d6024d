#pragma once

// The identity a reader answers a standard INQUIRY with, as the scans compare
// it: vendor 8, product 16 and revision 4 bytes, fixed width, not terminated.

#include <array>
#include <cstddef>

namespace updater {

inline constexpr std::size_t kInquiryVendorWidth = 8;
inline constexpr std::size_t kInquiryProductWidth = 16;
inline constexpr std::size_t kInquiryRevisionWidth = 4;
inline constexpr std::size_t kInquiryIdentityWidth = 28;
inline constexpr std::size_t kInquiryIdentityProductOffset = 8;
inline constexpr std::size_t kInquiryIdentityRevisionOffset = 24;

/// The standard INQUIRY answer the scans ask for, and where the identity
/// stands in it (bytes 8..35).
inline constexpr std::size_t kInquiryAnswerLength = 36;
inline constexpr std::size_t kInquiryAnswerIdentityOffset = 8;

using InquiryIdentity = std::array<char, kInquiryIdentityWidth>;

/// The two identities a scan accepts a reader by (DEVICE.TXT's "FA_Inquiry_..."
/// and "FB_Inquiry_..." ones); the NT self driver's scan has its own fixed one.
struct AcceptedIdentities {
  InquiryIdentity fa{};
  InquiryIdentity fb{};
};

}  // namespace updater
