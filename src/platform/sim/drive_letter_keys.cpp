#include "platform/sim/drive_letter_keys.h"

#include "platform/sim/reader_identity.h"
#include "common/text_format.h"

namespace updater {
namespace {

constexpr std::size_t kSerialCharacters = 12;
constexpr std::size_t kLastUsbStorageUnit = 5;
constexpr std::size_t kLastDriverUnit = 99;

enum class Blanks { Underscored, UnderscoredTrimmed };

// A zero byte contributes nothing; blanks become '_', trailing ones dropped
// in the trimmed form.
std::string inquiryText(const IdentifyBlock& identify, std::size_t offset, std::size_t width, Blanks blanks) {
  if (blanks == Blanks::UnderscoredTrimmed) {
    while (width > 0 && identify[offset + width - 1] == ' ') --width;
  }
  std::string text;
  for (std::size_t i = 0; i < width; ++i) {
    const auto c = static_cast<char>(identify[offset + i]);
    if (c != '\0') text += c == ' ' ? '_' : c;
  }
  return text;
}

std::string serialText(const IdentifyBlock& identify) {
  std::string text;
  for (std::size_t i = 0; i < kSerialCharacters; ++i) {
    const auto c = static_cast<char>(identify[identify_offset::kSerial + 2 * i]);
    if (c != '\0') text += c;
  }
  return text;
}

std::string fullInquiry(const IdentifyBlock& identify) {
  using namespace identify_offset;
  return inquiryText(identify, kInquiryVendor, identity_width::kInquiryVendor, Blanks::Underscored) +
         inquiryText(identify, kInquiryProduct, identity_width::kInquiryProduct, Blanks::Underscored) +
         inquiryText(identify, kInquiryRevision, 1, Blanks::Underscored);
}

std::string driverTail(const IdentifyBlock& identify, std::size_t unit) {
  using namespace identify_offset;
  std::string tail = "VID_";
  appendPaddedHex(tail, identify[kVendorId + 1], 2);
  appendPaddedHex(tail, identify[kVendorId], 2);
  tail += "&PID_";
  appendPaddedHex(tail, identify[kProductId + 1], 2);
  appendPaddedHex(tail, identify[kProductId], 2);
  tail += '&';
  tail += serialText(identify);
  tail += static_cast<char>('0' + unit / 10);
  tail += static_cast<char>('0' + unit % 10);
  return tail;
}

std::string usbStorageKey(const IdentifyBlock& identify, std::size_t unit) {
  using namespace identify_offset;
  std::string key = "Enum\\SCSI\\" + fullInquiry(identify) + "\\USBSTOR&DISK&VEN_";
  key += inquiryText(identify, kInquiryVendor, identity_width::kInquiryVendor, Blanks::UnderscoredTrimmed);
  key += "&PROD_";
  key += inquiryText(identify, kInquiryProduct, identity_width::kInquiryProduct, Blanks::UnderscoredTrimmed);
  key += "&REV_";
  key += inquiryText(identify, kInquiryRevision, identity_width::kInquiryRevision, Blanks::UnderscoredTrimmed);
  key += '&';
  key += serialText(identify);
  key += '&';
  key += static_cast<char>('0' + unit);
  key += "00";
  return key;
}

}  // namespace

std::string driveLetterKey(DriveLetterKeyForm form, const IdentifyBlock& identify, std::size_t unit) {
  switch (form) {
    case DriveLetterKeyForm::PortDriver:
      if (unit > kLastDriverUnit) return {};
      return "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&" + driverTail(identify, unit);
    case DriveLetterKeyForm::DynamicDriver:
      if (unit > kLastDriverUnit) return {};
      return "Enum\\SCSI\\" + fullInquiry(identify) + "\\KV20SYSD&DISK&0000USB&" + driverTail(identify, unit);
    case DriveLetterKeyForm::UsbStorage:
      if (unit > kLastUsbStorageUnit) return {};
      return usbStorageKey(identify, unit);
  }
  return {};
}

std::vector<DriveLetterKey> driveLetterKeys(const IdentifyBlock& identify, std::string_view letters) {
  constexpr DriveLetterKeyForm kForms[] = {DriveLetterKeyForm::PortDriver, DriveLetterKeyForm::DynamicDriver,
                                           DriveLetterKeyForm::UsbStorage};
  std::vector<DriveLetterKey> keys;
  for (std::size_t unit = 0; unit < letters.size(); ++unit) {
    for (const auto form : kForms) {
      std::string key = driveLetterKey(form, identify, unit);
      if (!key.empty()) keys.push_back({form, std::move(key), letters[unit]});
    }
  }
  return keys;
}

}  // namespace updater
