#pragma once

// What DEVICE.TXT says: the identity data a programming run stamps into the
// image, the firmware file names, the two inquiry identities a reader is
// recognised by and the ROM select code of every data transfer. The
// application reads it (app/read_user_isp_data.h); the jobs and the scans use
// it.
//
// A value counts only when its flag (or, for the two USB strings, its length)
// says it is given; a field whose key is missing keeps its old bytes. Text
// fields are plain bytes of fixed width, not terminated inside their width;
// print them with `fieldText` (common/field_text.h).

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/bytes.h"
#include "common/field_text.h"
#include "device/inquiry_identity.h"

namespace updater {

inline constexpr std::size_t kUsbStringWidth = 24;
inline constexpr std::size_t kSerialStringWidth = 12;
/// Up to 12 characters and room for the terminating NUL.
inline constexpr std::size_t kFileNameWidth = 13;
inline constexpr std::size_t kDeviceSettingCount = 26;

using FileName = std::array<char, kFileNameWidth>;

struct UserIspData {
  /// "VID", exactly four hex digits.
  std::uint16_t vendorId = 0;
  bool vendorIdActive = false;
  /// "PID", exactly four hex digits.
  std::uint16_t productId = 0;
  bool productIdActive = false;

  /// "String_Manufacture", blank-padded; given when the length is not 0.
  std::array<char, kUsbStringWidth> manufacturerString{};
  std::size_t manufacturerLength = 0;
  /// "String_Product", blank-padded; given when the length is not 0.
  std::array<char, kUsbStringWidth> productString{};
  std::size_t productLength = 0;
  /// "KS~@$^_Str_Serial", NUL-padded: the fixed serial-number string.
  std::array<char, kSerialStringWidth> serialString{};
  bool serialActive = false;

  /// "Inquiry_Manufacture", blank-padded.
  std::array<char, kInquiryVendorWidth> inquiryVendor{};
  bool inquiryVendorActive = false;
  /// "Inquiry_Product", blank-padded.
  std::array<char, kInquiryProductWidth> inquiryProduct{};
  bool inquiryProductActive = false;
  /// "Inquiry_Version", exactly four characters.
  std::array<char, kInquiryRevisionWidth> inquiryRevision{};
  bool inquiryRevisionActive = false;

  /// "ISP_ROMCODE"; empty (all NUL) when not given.
  FileName romCodeFile{};
  /// `romCodeFile` with its extension replaced by "adr"; empty when the
  /// ROM code file name has no base name of 1 to 8 characters before a dot.
  FileName addressFile{};
  /// "MS_ISP_ROMCODE"; empty when not given.
  FileName msRomCodeFile{};
  /// "BmpMap_file"; empty when not given.
  FileName bmpMapFile{};
  bool bmpMapActive = false;

  /// The two inquiry identities a reader is recognised by ("FA_Inquiry_..."
  /// and "FB_Inquiry_..."). No flags: an absent part stays blank.
  InquiryIdentity FaInquiry{};
  InquiryIdentity FbInquiry{};

  /// "Device_setting": entries the list does not reach are 0xFF.
  std::array<Byte, kDeviceSettingCount> deviceSetting{};
  bool deviceSettingActive = false;

  /// "ROM_setting": carried in byte 3 of every data transfer; 0 when absent.
  Byte romSelectCode = 0;
};

/// The two identities a scan accepts a reader by.
inline AcceptedIdentities acceptedIdentities(const UserIspData& data) { return {data.FaInquiry, data.FbInquiry}; }

}  // namespace updater
