#include "app/user_isp_data.h"

#include <algorithm>
#include <span>
#include <string>

namespace updater {
namespace {

constexpr std::size_t kHexWordDigits = 4;
/// The two settings lists may be this long; the token buffer keeps them to
/// 252 characters in practice.
constexpr std::size_t kListValueMaximum = 256;
/// "ROM_setting" looks for its 'x' among the token's first five characters,
/// the opening quote included.
constexpr std::size_t kRomSettingWindow = 5;
/// The longest base name that gets an address file name.
constexpr std::size_t kBaseNameMaximum = 8;

// `value` at the start of `field`, the rest of the field `pad`.
void putPadded(std::span<char> field, std::string_view value, char pad) {
  const std::size_t count = std::min(value.size(), field.size());
  std::copy_n(value.begin(), count, field.begin());
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(count), field.end(), pad);
}

// The character at `index` of a value token; past its end the token buffer
// holds its terminating NUL, and nothing further is looked at.
char tokenAt(std::string_view token, std::size_t index) {
  return index < token.size() ? token[index] : '\0';
}

// The byte written as the two characters after the 'x' at `index`.
Byte byteAfterX(std::string_view token, std::size_t index) {
  return static_cast<Byte>(hexDigitValue(tokenAt(token, index + 1)) * 16 +
                           hexDigitValue(tokenAt(token, index + 2)));
}

// "VID" and "PID": exactly four hex digits, most significant first.
void readHexWord(const DeviceTxt& file, std::string_view key, std::uint16_t& word, bool& active) {
  const KeyLookup lookup = lookupKey(file, key, kHexWordDigits);
  if (!lookup.found() || lookup.count != kHexWordDigits) return;
  word = 0;
  for (const char digit : lookup.value()) word = static_cast<std::uint16_t>(word * 16 + hexDigitValue(digit));
  active = std::all_of(lookup.value().begin(), lookup.value().end(), isHexDigit);
}

// The two USB strings: given when the length is not 0.
void readUsbString(const DeviceTxt& file, std::string_view key, std::span<char> field, std::size_t& length) {
  const KeyLookup lookup = lookupKey(file, key, field.size());
  if (!lookup.found()) return;
  length = lookup.count;
  putPadded(field, lookup.value(), ' ');
}

// Puts the value of `key`, padded with `pad`, into `field` when found; the
// field keeps its old bytes otherwise.
bool readPadded(const DeviceTxt& file, std::string_view key, std::span<char> field, char pad) {
  const KeyLookup lookup = lookupKey(file, key, field.size());
  if (lookup.found()) putPadded(field, lookup.value(), pad);
  return lookup.found();
}

// Reads a value that counts only with exactly `field.size()` characters.
bool readExactText(const DeviceTxt& file, std::string_view key, std::span<char> field) {
  const KeyLookup lookup = lookupKey(file, key, field.size());
  if (!lookup.found() || lookup.count != field.size()) return false;
  std::copy_n(lookup.value().begin(), field.size(), field.begin());
  return true;
}

// A file name of up to 12 characters, always followed by a NUL.
bool readFileName(const DeviceTxt& file, std::string_view key, FileName& name) {
  name.fill('\0');
  return readPadded(file, key, std::span<char>(name).first(kFileNameWidth - 1), '\0');
}

// "NAME.EXT" gives "NAME.adr" when the base name has 1 to 8 characters.
FileName addressFileOf(const FileName& romCodeFile) {
  FileName address{};
  const std::string_view name = fieldText(romCodeFile);
  const std::size_t dot = name.find('.', 1);
  if (dot == std::string_view::npos || dot > kBaseNameMaximum) return address;
  std::string text(name.substr(0, dot + 1));
  text += "adr";
  putPadded(address, text, '\0');
  return address;
}

// "<prefix>Manufacture", "<prefix>Product" and "<prefix>Version" into the
// blank identity; an absent part stays blank.
void readInquiryIdentity(const DeviceTxt& file, std::string_view prefix, InquiryIdentity& identity) {
  identity.fill(' ');
  const std::span<char> whole(identity);
  const std::string key(prefix);
  readPadded(file, key + "Manufacture", whole.first(kInquiryVendorWidth), ' ');
  readPadded(file, key + "Product", whole.subspan(kInquiryIdentityProductOffset, kInquiryProductWidth), ' ');
  readExactText(file, key + "Version", whole.subspan(kInquiryIdentityRevisionOffset, kInquiryRevisionWidth));
}

// "Device_setting": every 'x' of the value token starts one entry, and the
// scan goes on four characters after it.
void readDeviceSetting(const DeviceTxt& file, UserIspData& data) {
  const KeyLookup lookup = lookupKey(file, "Device_setting", kListValueMaximum);
  if (!lookup.found()) return;
  data.deviceSettingActive = true;
  data.deviceSetting.fill(0xFF);
  std::size_t entries = 0;
  for (std::size_t i = 0; i < lookup.token.size() && entries < kDeviceSettingCount;) {
    if (lookup.token[i] != 'x') {
      ++i;
      continue;
    }
    data.deviceSetting[entries++] = byteAfterX(lookup.token, i);
    i += 4;
  }
}

// "ROM_setting": the byte after the first 'x' among the token's first five
// characters; 0 without one.
Byte romSelectCodeOf(const DeviceTxt& file) {
  const KeyLookup lookup = lookupKey(file, "ROM_setting", kListValueMaximum);
  if (!lookup.found()) return 0;
  const std::string_view window = lookup.token.substr(0, kRomSettingWindow);
  const std::size_t x = window.find('x');
  return x == std::string_view::npos ? Byte{0} : byteAfterX(lookup.token, x);
}

void resetFlags(UserIspData& data) {
  data.vendorIdActive = false;
  data.productIdActive = false;
  data.manufacturerLength = 0;
  data.productLength = 0;
  data.serialActive = false;
  data.inquiryVendorActive = false;
  data.inquiryProductActive = false;
  data.inquiryRevisionActive = false;
  data.bmpMapActive = false;
  data.deviceSettingActive = false;
}

struct FlaggedText {
  std::string_view key;
  std::span<char> field;
  char pad;
  bool* active;
};

}  // namespace

void readUserIspData(UserIspData& data, const DeviceTxt& file) {
  resetFlags(data);
  readHexWord(file, "VID", data.vendorId, data.vendorIdActive);
  readHexWord(file, "PID", data.productId, data.productIdActive);
  readUsbString(file, "String_Manufacture", data.manufacturerString, data.manufacturerLength);
  readUsbString(file, "String_Product", data.productString, data.productLength);
  const FlaggedText texts[] = {
      {"KS~@$^_Str_Serial", data.serialString, '\0', &data.serialActive},
      {"Inquiry_Manufacture", data.inquiryVendor, ' ', &data.inquiryVendorActive},
      {"Inquiry_Product", data.inquiryProduct, ' ', &data.inquiryProductActive},
  };
  for (const auto& text : texts) *text.active = readPadded(file, text.key, text.field, text.pad);
  data.inquiryRevisionActive = readExactText(file, "Inquiry_Version", data.inquiryRevision);
  readFileName(file, "ISP_ROMCODE", data.romCodeFile);
  data.addressFile = addressFileOf(data.romCodeFile);
  readFileName(file, "MS_ISP_ROMCODE", data.msRomCodeFile);
  data.bmpMapActive = readFileName(file, "BmpMap_file", data.bmpMapFile);
  readInquiryIdentity(file, "FA_Inquiry_", data.FaInquiry);
  readInquiryIdentity(file, "FB_Inquiry_", data.FbInquiry);
  readDeviceSetting(file, data);
  data.romSelectCode = romSelectCodeOf(file);
}

}  // namespace updater
