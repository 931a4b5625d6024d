#include "app/load_user_isp_data.h"

#include <charconv>

#include "app/program.h"

namespace updater {
namespace {

constexpr std::size_t kRuleWidth = 53;

// "%0<width>x"
void appendPaddedHex(std::string& text, std::uint32_t value, std::size_t width) {
  char digits[8];
  const auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
  const auto count = static_cast<std::size_t>(result.ptr - digits);
  if (count < width) text.append(width - count, '0');
  text.append(digits, count);
}

// "0x%0<width>x " as every number of the summary is shown.
std::string numberText(std::uint32_t value, std::size_t width) {
  std::string text = "0x";
  appendPaddedHex(text, value, width);
  text += ' ';
  return text;
}

void appendLine(std::string& text, std::string_view line) {
  text += '\n';
  text += line;
}

void appendRule(std::string& text) {
  text += '\n';
  text.append(kRuleWidth, '=');
}

std::string osLine(const SystemInformation& system) {
  static constexpr std::string_view kLines[] = {
      "OS            : Unknown",    "OS            : Windows 98", "OS            : Windows ME",
      "OS            : Windows 2K", "OS            : Windows XP",
  };
  constexpr int kHostFamily = static_cast<int>(OsMode::Host);
  if (system.osMode == kHostFamily) return "OS            : " + std::string(system.hostSystemText);
  return std::string(system.osMode >= 1 && system.osMode <= 4 ? kLines[system.osMode] : kLines[0]);
}

void appendSystemBlock(std::string& text, const UserIspData& data, const SystemInformation& system) {
  appendRule(text);
  appendLine(text, "==== SYSTEM Information For ISP");
  appendRule(text);
  appendLine(text, osLine(system));
  if (system.osMode == 1 || system.selfDriverChosen) {
    appendLine(text, "Device Driver : ");
    text += system.selectedDriverName;
  }
  const std::pair<std::string_view, const FileName&> files[] = {
      {"ISP USB ROMCODE: ", data.romCodeFile},
      {"ISP ADDRESS    : ", data.addressFile},
      {"ISP KS7010 ROM : ", data.msRomCodeFile},
      {"ISP BmpMap File: ", data.bmpMapFile},
  };
  for (const auto& [label, name] : files) {
    appendLine(text, label);
    text += fieldText(name);
  }
}

// One value line: the label and the value, or the label and "No Active".
struct ValueLine {
  std::string_view label;
  bool present;
  std::string value;
};

void appendDeviceSetting(std::string& text, const UserIspData& data) {
  if (!data.deviceSettingActive) {
    appendLine(text, "DEV_Setting    : No Active");
    return;
  }
  appendLine(text, "DEV_setting    : ");
  // The line label that starts before each entry that begins a line.
  static constexpr std::pair<std::size_t, std::string_view> kRows[] = {
      {0, "         0 ~ 7 : "},
      {8, "         8 ~ 15: "},
      {16, "        16 ~ 23: "},
      {24, "        24 ~ 25: "},
  };
  std::size_t row = 0;
  for (std::size_t i = 0; i < kDeviceSettingCount; ++i) {
    if (row < std::size(kRows) && kRows[row].first == i) appendLine(text, kRows[row++].second);
    text += numberText(data.deviceSetting[i], 2);
  }
}

void appendUpdateBlock(std::string& text, const UserIspData& data) {
  appendRule(text);
  appendLine(text, "====Update String Or Inquiry Information For ISP ");
  appendRule(text);
  const ValueLine lines[] = {
      {"VID            : ", data.vendorIdActive, numberText(data.vendorId, 4)},
      {"PID            : ", data.productIdActive, numberText(data.productId, 4)},
      {"Str_Manufacture: ", data.manufacturerLength != 0, std::string(fieldText(data.manufacturerString))},
      {"Str_Product    : ", data.productLength != 0, std::string(fieldText(data.productString))},
      {"Str_Serial     : ", data.serialActive, std::string(fieldText(data.serialString))},
      {"Inq_Manufacture: ", data.inquiryVendorActive, std::string(fieldText(data.inquiryVendor))},
      {"Inq_Product    : ", data.inquiryProductActive, std::string(fieldText(data.inquiryProduct))},
      {"Inq_Version    : ", data.inquiryRevisionActive, std::string(fieldText(data.inquiryRevision))},
  };
  for (const auto& line : lines) {
    appendLine(text, line.label);
    text += line.present ? std::string_view(line.value) : std::string_view("No Active");
  }
  appendDeviceSetting(text, data);
  appendLine(text, "ROM SELECT CODE: ");
  text += numberText(data.romSelectCode, 2);
  appendRule(text);
}

}  // namespace

std::string userIspSummary(const UserIspData& data, const SystemInformation& system) {
  std::string text;
  appendSystemBlock(text, data, system);
  appendUpdateBlock(text, data);
  return text;
}

void loadUserIspData(Program& program, const SystemInformation& system) {
  loadUserIspDataFrom(program, readDeviceTxt(program.workingDirectory), system);
}

void loadUserIspDataFrom(Program& program, const DeviceTxt& file, const SystemInformation& system) {
  if (!file.opened) program.mainView.messageBox(kCannotOpenDeviceTxt, kMessageDialogCaption, MessageIcon::Stop);
  readUserIspData(program.userIspData, file);
  program.mainView.messageBox(userIspSummary(program.userIspData, system), kUserIspDataCaption,
                              MessageIcon::None);
}

}  // namespace updater
