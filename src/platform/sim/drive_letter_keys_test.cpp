#include "platform/sim/drive_letter_keys.h"

#include <gtest/gtest.h>

#include "platform/sim/reader_identity.h"
#include "platform/sim/sim_machine.h"

namespace updater {
namespace {

ReaderDescription keyedReader() {
  ReaderDescription reader;
  reader.letters = "EFGHIJK";
  reader.vendorId = 0x1234;
  reader.productId = 0xAB0C;
  reader.serial = "SN01";
  reader.identifyInquiry = ReaderInquiry{"Generic", "USB Reader", "1.00"};
  return reader;
}

TEST(DriveLetterKeys, EachFormNamesTheUnit) {
  const IdentifyBlock identify = identifyBlock(keyedReader());
  struct Row {
    const char* name;
    DriveLetterKeyForm form;
    std::size_t unit;
    const char* key;
  };
  const Row rows[] = {
      {"port, unit 0", DriveLetterKeyForm::PortDriver, 0,
       "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&VID_1234&PID_ab0c&SN0100"},
      {"port, unit 4", DriveLetterKeyForm::PortDriver, 4,
       "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&VID_1234&PID_ab0c&SN0104"},
      {"dynamic, unit 0", DriveLetterKeyForm::DynamicDriver, 0,
       "Enum\\SCSI\\Generic_USB_Reader______1\\KV20SYSD&DISK&0000USB&VID_1234&PID_ab0c&SN0100"},
      {"dynamic, unit 4", DriveLetterKeyForm::DynamicDriver, 4,
       "Enum\\SCSI\\Generic_USB_Reader______1\\KV20SYSD&DISK&0000USB&VID_1234&PID_ab0c&SN0104"},
      {"USB storage, unit 0", DriveLetterKeyForm::UsbStorage, 0,
       "Enum\\SCSI\\Generic_USB_Reader______1\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_1.00&SN01&000"},
      {"USB storage, unit 5", DriveLetterKeyForm::UsbStorage, 5,
       "Enum\\SCSI\\Generic_USB_Reader______1\\USBSTOR&DISK&VEN_Generic&PROD_USB_Reader&REV_1.00&SN01&500"},
      {"USB storage, unit 6", DriveLetterKeyForm::UsbStorage, 6, ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(driveLetterKey(row.form, identify, row.unit), row.key) << row.name;
  }
}

TEST(DriveLetterKeys, TheMachineStartsWithEveryReadersKeys) {
  MachineDescription description;
  description.readers = {keyedReader()};
  Transcript transcript;
  SimMachine machine(transcript, description);
  const auto keys = driveLetterKeys(machine.reader(1).identify, "EFGHIJK");
  EXPECT_EQ(keys.size(), 7u * 2 + 6) << "no USB storage key past unit 5";
  EXPECT_EQ(machine.registry.size(), keys.size());
  const auto& value = machine.registry.at(driveLetterKey(DriveLetterKeyForm::PortDriver, machine.reader(1).identify, 4));
  EXPECT_EQ(value.at("CurrentDriveLetterAssignment"), (std::vector<Byte>{'I', 0}));
}

}  // namespace
}  // namespace updater
