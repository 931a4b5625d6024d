#include "app/device_report.h"

#include <gtest/gtest.h>

#include "device/device_table.h"
#include "device/slot_assignment.h"
#include "testing/identify_block_builder.h"
#include "testing/program_harness.h"

namespace updater {
namespace {

constexpr const char* kSeparator = "\n=====================================================";
constexpr const char* kHeading = "\n====  Device String And Inquiry Information     =====";
constexpr const char* kScanError =
    "\nERROR: Device Not Ready when GET DEVICE VERSION!! \n  P/S: After ISP/Verify Device must plug-out first!";

struct ReportFixture {
  ProgramHarness harness;
  Program& program = *harness.program;
  DeviceTable& table = program.deviceTable;

  ReportFixture() {
    program.osMode = OsMode::WinXp;
    clearDeviceTable(table);
  }

  void scan(const ReaderIdentity& reader, char letter) {
    table.identifyData = identifyBlock(reader);
    assignSlot(table, ScannedUnit::atDrive(letter));
  }

  std::string report() {
    showDeviceReport(program);
    return harness.mainView.controlText(kReportAreaControl);
  }

  std::string deviceName() const { return harness.mainView.controlText(kDeviceNameControl); }

  /// The rest of the report line that starts with `label`.
  std::string line(const std::string& label) {
    const std::string text = report();
    const auto start = text.find("\n" + label);
    if (start == std::string::npos) return "<no line>";
    const auto valueStart = start + 1 + label.size();
    return text.substr(valueStart, text.find('\n', valueStart) - valueStart);
  }
};

TEST(DeviceReport, CompleteDevice) {
  ReportFixture f;
  f.scan(sampleReader(), 'E');
  f.scan(sampleReader(), 'F');

  const std::string expected = std::string(kSeparator) + kHeading + kSeparator +
                               "\n Str Manufacture Name :Kelvaro Technology Corp."
                               "\n Str Product Name     :USB2.0 CardRead"
                               "\n Str Serial Number    :0 1 2 3 4 5 6 7 8 9 A B "
                               "\n Device VID-PID       :[0dda]-[2026]"
                               "\n Inq Manufacture Name :Generic "
                               "\n Inq Product Name     :USB SD Reader   "
                               "\n Inq Revision         :1.00"
                               "\n USB F/W Revision :1.2a.03-2007-16-09[OEM-5c][CEM-01]"
                               "\n USB F/W RevisionOrg  :2.0b-2007-01-31"
                               "\n MS F/W Revision      :MS1.02b7"
                               "\n USB H/W Revision     :3046C"
                               "\n USB20 F/W Revision   :a.00.ff-2000-01-31[OEM-00][CEM-ab]" +
                               kSeparator +
                               "\n"
                               "\n Total Device Plug In : 1 "
                               "\n The Device Select Now is : 1 with 2 slot.";
  EXPECT_EQ(f.report(), expected);
  EXPECT_EQ(f.deviceName(), "USB SD Reader   [E:] [F:] ");
  EXPECT_EQ(f.table.hardwareRevisionText, "304643");
  EXPECT_EQ(f.table.selectedLetterCount, 2u);

  // Report area first, then the device-name field.
  const auto controls = f.harness.transcript.ofKind(EventKind::Control);
  ASSERT_EQ(controls.size(), 2u);
  EXPECT_EQ(controls[0].id, 1021);
  EXPECT_EQ(controls[1].id, 1024);
}

TEST(DeviceReport, EmptyTableAfterAFailedScan) {
  ReportFixture f;
  f.program.statusLog = kScanError;
  f.table.hardwareRevisionText = "304643";
  f.table.selectedLetterCount = 3;

  const std::string expected = std::string(kScanError) + kSeparator + kHeading + kSeparator +
                               "\n Str Manufacture Name :"
                               "\n Str Product Name     :"
                               "\n Str Serial Number    :"
                               "\n Device VID-PID       :[0000]-[0000]"
                               "\n Inq Manufacture Name :"
                               "\n Inq Product Name     :"
                               "\n Inq Revision         :"
                               "\n USB F/W Revision :0.00.00-2000-00-00[OEM-00][CEM-00]"
                               "\n USB F/W RevisionOrg  :0.00-2000-00-00"
                               "\n MS F/W Revision      :N/A"
                               "\n USB H/W Revision     :0000"
                               "\n USB20 F/W Revision   :0.00.00-2000-00-00[OEM-00][CEM-00]" +
                               kSeparator +
                               "\n"
                               "\n Total Device Plug In : 0 "
                               "\n The Device Select Now is : 1 with 0 slot.";
  EXPECT_EQ(f.report(), expected);
  EXPECT_EQ(f.deviceName(), "");
  EXPECT_EQ(f.table.hardwareRevisionText, "000000");
  EXPECT_EQ(f.table.selectedLetterCount, 0u);
}

struct RevisionLinesCase {
  const char* name;
  HardwareRevision revision;
  const char* hwLine;
  const char* msLine;
  const char* usb20Line;
};

TEST(DeviceReport, HardwareRevisionDecidesTheMemoryStickAndUsb20Lines) {
  const char* usb20 = "a.00.ff-2000-01-31[OEM-00][CEM-ab]";
  const RevisionLinesCase cases[] = {
      {"Memory Stick controller 3046 C", {0x30, 0x46, 'C'}, "3046C", "MS1.02b7", usb20},
      {"3017 G", {0x30, 0x17, 'G'}, "3017G", "N/A", "N/A"},
      {"3086 shows its USB 2.0 revision", {0x30, 0x86, 'A'}, "3086A", "N/A", usb20},
      {"4053", {0x40, 0x53, 'B'}, "4053B", "N/A", "N/A"},
      {"4391 without letter", {0x43, 0x91, 0x00}, "4391", "N/A", "N/A"},
      {"unlisted 3046 G", {0x30, 0x46, 'G'}, "0000", "N/A", usb20},
      {"unlisted 1234 C", {0x12, 0x34, 'C'}, "0000", "N/A", usb20},
  };
  for (const auto& row : cases) {
    ReportFixture f;
    ReaderIdentity reader = sampleReader();
    reader.hwRevision = row.revision;
    f.scan(reader, 'E');
    EXPECT_EQ(f.line(" USB H/W Revision     :"), row.hwLine) << row.name;
    EXPECT_EQ(f.line(" MS F/W Revision      :"), row.msLine) << row.name;
    EXPECT_EQ(f.line(" USB20 F/W Revision   :"), row.usb20Line) << row.name;
  }
}

TEST(DeviceReport, EveryNoUsb20CodeReadsNotApplicable) {
  for (const char* code : {"4053", "4057", "4013", "4113", "4129", "4161", "4023", "4064", "4137", "4165", "4166",
                           "4147", "4168", "4148", "4391"}) {
    ReportFixture f;
    ReaderIdentity reader = sampleReader();
    const int value = std::stoi(code, nullptr, 16);
    reader.hwRevision = {static_cast<Byte>(value >> 8), static_cast<Byte>(value & 0xFF), 'A'};
    f.scan(reader, 'E');
    EXPECT_EQ(f.line(" USB20 F/W Revision   :"), "N/A") << code;
  }
}

struct FieldCase {
  const char* name;
  std::string label;
  const char* value;
};

TEST(DeviceReport, CharacterFieldsEndAtTheirCharactersAndNumbersKeepTheirFormats) {
  ReportFixture f;
  ReaderIdentity reader = sampleReader();
  reader.product = "Short";
  reader.serial = "S1";
  reader.inqRevision = std::string("1\0.0", 4);
  reader.fwRevision = {0x12, 0x3, 0xab, 0xc, 0x63, 0x00, 0xff, 0x0};
  reader.fwRevisionOrg = {0xff, 0x1, 0xcf, 0xff};
  reader.msFwRevision = std::string("MS1\0ABCD", 8);
  reader.manufacturer = "\xB0\xFF high bytes";
  f.scan(reader, 'E');
  const FieldCase cases[] = {
      {"product shorter than its field", " Str Product Name     :", "Short"},
      {"short serial, blanks only after characters", " Str Serial Number    :", "S 1 "},
      {"a NUL inside a field adds nothing", " Inq Revision         :", "1.0"},
      {"bytes above 0x7f add themselves", " Str Manufacture Name :", "\xB0\xFF high bytes"},
      {"month and day decimal, the rest hex", " USB F/W Revision :", "12.03.ab-200c-99-00[OEM-ff][CEM-00]"},
      {"year and month from nibbles", " USB F/W RevisionOrg  :", "ff.01-200c-15-255"},
      {"Memory Stick revision ends at a NUL", " MS F/W Revision      :", "MS1"},
  };
  for (const auto& row : cases) EXPECT_EQ(f.line(row.label), row.value) << row.name;
}

TEST(DeviceReport, CountsAreHexAndTheTenthDeviceIsA) {
  ReportFixture f;
  for (int i = 0; i < 10; ++i) {
    ReaderIdentity reader = sampleReader();
    reader.serial = "READER" + std::to_string(i);
    f.scan(reader, static_cast<char>('D' + i));
  }
  f.table.selectedIndex = 9;
  EXPECT_EQ(f.line(" Total Device Plug In : "), "a ");
  EXPECT_EQ(f.line(" The Device Select Now is : "), "a with 1 slot.");
  EXPECT_EQ(f.deviceName(), "USB SD Reader   [M:] ");
}

TEST(DeviceReport, ReportsTheSelectedDeviceNotTheLastDecoded) {
  ReportFixture f;
  f.scan(sampleReader(), 'E');
  f.scan(sampleReader(), 'F');
  ReaderIdentity second = sampleReader();
  second.serial = "SECOND";
  second.inqProduct = "Other Reader";
  second.hwRevision = {0x40, 0x53, 'x'};
  f.scan(second, 'G');
  ASSERT_EQ(f.table.hardwareRevisionText, "405378");

  f.table.selectedIndex = 0;
  EXPECT_EQ(f.line(" USB H/W Revision     :"), "3046C");
  EXPECT_EQ(f.table.hardwareRevisionText, "304643");
  EXPECT_EQ(f.table.selectedLetterCount, 2u);

  f.table.selectedIndex = 1;
  EXPECT_EQ(f.line(" The Device Select Now is : "), "2 with 1 slot.");
  EXPECT_EQ(f.table.hardwareRevisionText, "405378");
  EXPECT_EQ(f.table.selectedLetterCount, 1u);
  EXPECT_EQ(f.deviceName(), "Other Reader[G:] ");
}

struct AspiCase {
  const char* name;
  OsMode osMode;
  bool selfDriverChosen;
  bool shown;
};

TEST(DeviceReport, AspiRouteAddsTheAdapterAndTarget) {
  const AspiCase cases[] = {
      {"ME without self driver", OsMode::WinMe, false, true},
      {"ME with self driver", OsMode::WinMe, true, false},
      {"98", OsMode::Win98, false, false},
      {"XP", OsMode::WinXp, false, false},
  };
  for (const auto& row : cases) {
    ReportFixture f;
    f.program.osMode = row.osMode;
    f.program.selfDriverChosen = row.selfDriverChosen;
    f.table.identifyData = identifyBlock(sampleReader());
    assignSlot(f.table, ScannedUnit::atAspi(1, 15));
    const std::string text = f.report();
    const std::string tail = "\n The Device Select Now is : 1 with 1 slot.";
    const std::string aspi = "\n Locate [Adapter:Target] : [1:f]";
    EXPECT_EQ(text.substr(text.size() - (row.shown ? tail.size() + aspi.size() : tail.size())),
              row.shown ? tail + aspi : tail)
        << row.name;
  }
}

TEST(DeviceReport, ASelectionOutsideTheTableShowsNoDevice) {
  ReportFixture f;
  f.scan(sampleReader(), 'E');
  f.table.selectedIndex = 12;
  EXPECT_EQ(f.line(" The Device Select Now is : "), "d with 0 slot.");
  EXPECT_EQ(f.line(" Str Manufacture Name :"), "");
  EXPECT_EQ(f.deviceName(), "");
  EXPECT_EQ(f.table.selectedLetterCount, 0u);
}

}  // namespace
}  // namespace updater
