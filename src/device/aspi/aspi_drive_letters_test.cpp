#include "device/aspi/aspi_drive_letters.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

namespace updater {
namespace {

template <std::size_t N>
void setField(std::array<char, N>& field, std::string_view text) {
  std::fill(field.begin(), field.end(), '\0');
  std::copy(text.begin(), text.end(), field.begin());
}

DeviceEntry entry(std::string_view vendor, std::string_view product, std::string_view revision,
                  std::string_view serial) {
  DeviceEntry result;
  setField(result.inqManufacture, vendor);
  setField(result.inqProduct, product);
  setField(result.inqRevision, revision);
  setField(result.strSerial, serial);
  return result;
}

struct KeyRow {
  const char* name;
  DeviceEntry entry;
  std::size_t unit;
  std::string key;
};

TEST(AspiDriveLetterKey, NamesTheReaderByItsInquiryTextsAndSerial) {
  const KeyRow rows[] = {
      {"blank-padded texts", entry("Generic ", "USB Reader      ", "1.00", "000000000001"), 0,
       "Enum\\SCSI\\Generic_USB_Reader______1\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_1.00&000000000001&000"},
      {"second unit", entry("Generic ", "USB Reader      ", "1.00", "000000000001"), 1,
       "Enum\\SCSI\\Generic_USB_Reader______1\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_1.00&000000000001&100"},
      {"sixth unit", entry("Generic ", "USB Reader      ", "1.00", "000000000001"), 5,
       "Enum\\SCSI\\Generic_USB_Reader______1\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_1.00&000000000001&500"},
      {"seventh unit has no instance", entry("Generic ", "USB Reader      ", "1.00", "000000000001"), 6,
       "Enum\\SCSI\\Generic_USB_Reader______1\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_1.00&000000000001"},
      {"short serial, zero bytes add nothing", entry("Generic ", "USB Reader      ", "1.00", "12"), 0,
       "Enum\\SCSI\\Generic_USB_Reader______1\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_1.00&12&000"},
      {"blank revision", entry("Generic ", "USB Reader      ", "    ", "1"), 0,
       "Enum\\SCSI\\Generic_USB_Reader_______\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_&1&000"},
      {"inner blanks kept, zero-padded vendor", entry("A B", "Card Reader", "2.1 ", ""), 0,
       "Enum\\SCSI\\A_BCard_Reader2\\USBSTOR&DISK&VEN_A_B&PROD_Card_Reader&REV_2.1&&000"},
  };
  for (const auto& row : rows) EXPECT_EQ(aspiDriveLetterKey(row.entry, row.unit), row.key) << row.name;
}

}  // namespace
}  // namespace updater
