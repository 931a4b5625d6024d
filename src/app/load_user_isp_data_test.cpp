#include "app/load_user_isp_data.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

const std::string kRule = "\n" + std::string(53, '=');

const char* const kFullDeviceTxt =
    "// Card reader line 3\n"
    "VID = \"0Bda\";\n"
    "PID = \"0158\";\n"
    "String_Manufacture = \"Generic\";\n"
    "String_Product = \"USB2.0  Card Reader\";\n"
    "KS~@$^_Str_Serial = \"000000000001\";\n"
    "Inquiry_Manufacture = \"Generic-\";\n"
    "Inquiry_Product = \"SD/MMC\";\n"
    "Inquiry_Version = \"1.00\";\n"
    "ISP_ROMCODE = \"RTS5158.BIN\";\n"
    "MS_ISP_ROMCODE = \"KS7010.BIN\";\n"
    "BmpMap_file = \"BMPMAP.BIN\";\n"
    "FA_Inquiry_Manufacture = \"Generic-\";\n"
    "FA_Inquiry_Product = \"Multi-Card\";\n"
    "FA_Inquiry_Version = \"1.00\";\n"
    "Device_setting = \"0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0a,0x0b,0x0c,0x0d,"
    "0x0e,0x0f,0x10,0x11,0x12,0x13,0x14,0x15,0x16,0x17,0x18,0x19,0x1A\";\n"
    "ROM_setting = \"0x3C\";\n";

const std::string kFullUpdateBlock = kRule + "\n====Update String Or Inquiry Information For ISP " + kRule +
                                     "\nVID            : 0x0bda "
                                     "\nPID            : 0x0158 "
                                     "\nStr_Manufacture: Generic                 "
                                     "\nStr_Product    : USB2.0  Card Reader     "
                                     "\nStr_Serial     : 000000000001"
                                     "\nInq_Manufacture: Generic-"
                                     "\nInq_Product    : SD/MMC          "
                                     "\nInq_Version    : 1.00"
                                     "\nDEV_setting    : "
                                     "\n         0 ~ 7 : 0x01 0x02 0x03 0x04 0x05 0x06 0x07 0x08 "
                                     "\n         8 ~ 15: 0x09 0x0a 0x0b 0x0c 0x0d 0x0e 0x0f 0x10 "
                                     "\n        16 ~ 23: 0x11 0x12 0x13 0x14 0x15 0x16 0x17 0x18 "
                                     "\n        24 ~ 25: 0x19 0x1a "
                                     "\nROM SELECT CODE: 0x3c " +
                                     kRule;

const std::string kEmptyUpdateBlock = kRule + "\n====Update String Or Inquiry Information For ISP " + kRule +
                                      "\nVID            : No Active"
                                      "\nPID            : No Active"
                                      "\nStr_Manufacture: No Active"
                                      "\nStr_Product    : No Active"
                                      "\nStr_Serial     : No Active"
                                      "\nInq_Manufacture: No Active"
                                      "\nInq_Product    : No Active"
                                      "\nInq_Version    : No Active"
                                      "\nDEV_Setting    : No Active"
                                      "\nROM SELECT CODE: 0x00 " +
                                      kRule;

std::string systemBlock(const std::string& osAndDriver, const std::string& rom, const std::string& address,
                        const std::string& ms, const std::string& bmpMap) {
  return kRule + "\n==== SYSTEM Information For ISP" + kRule + osAndDriver + "\nISP USB ROMCODE: " + rom +
         "\nISP ADDRESS    : " + address + "\nISP KS7010 ROM : " + ms + "\nISP BmpMap File: " + bmpMap;
}

class LoadUserIspDataTest : public ::testing::Test {
 protected:
  LoadUserIspDataTest() { harness.program->workingDirectory = directory.path(); }

  void writeDeviceTxt(std::string_view contents) { directory.writeFile("DEVICE.TXT", contents); }

  /// Loads DEVICE.TXT and returns the summary the box showed.
  std::string loadAndSummarise(const SystemInformation& system = {4, false, "", ""}) {
    harness.transcript.clear();
    loadUserIspData(*harness.program, system);
    const auto boxes = harness.messageBoxes();
    if (boxes.empty()) return "(no box)";
    return boxes.back().text;
  }

  TemporaryDirectory directory;
  ProgramHarness harness;
};

TEST_F(LoadUserIspDataTest, FullFileShowsEveryValue) {
  writeDeviceTxt(kFullDeviceTxt);
  const std::string summary = loadAndSummarise();
  const auto boxes = harness.messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "User ISP Update Data Dialog");
  EXPECT_EQ(boxes[0].icon, MessageIcon::None);
  EXPECT_EQ(summary, systemBlock("\nOS            : Windows XP", "RTS5158.BIN", "RTS5158.adr", "KS7010.BIN",
                                 "BMPMAP.BIN") +
                         kFullUpdateBlock);
  EXPECT_EQ(harness.program->userIspData.romSelectCode, 0x3C);
}

TEST_F(LoadUserIspDataTest, MissingFileIsReportedOnceAndEveryValueIsAbsent) {
  writeDeviceTxt(kFullDeviceTxt);
  loadAndSummarise();
  directory.remove("DEVICE.TXT");

  const std::string summary = loadAndSummarise();
  const auto boxes = harness.messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Error: Cannot open [DEVICE.TXT]");
  EXPECT_EQ(boxes[0].caption, "Message Dialog");
  EXPECT_EQ(boxes[0].icon, MessageIcon::Stop);
  EXPECT_EQ(boxes[1].caption, "User ISP Update Data Dialog");
  EXPECT_EQ(summary, systemBlock("\nOS            : Windows XP", "", "", "", "") + kEmptyUpdateBlock);
  const UserIspData& data = harness.program->userIspData;
  EXPECT_EQ(std::string(data.FaInquiry.begin(), data.FaInquiry.end()), std::string(28, ' '));
  EXPECT_EQ(std::string(data.FbInquiry.begin(), data.FbInquiry.end()), std::string(28, ' '));
  EXPECT_EQ(data.romSelectCode, 0);

  // Editing the file while the program runs takes effect at the next load.
  writeDeviceTxt(kFullDeviceTxt);
  EXPECT_EQ(loadAndSummarise(), systemBlock("\nOS            : Windows XP", "RTS5158.BIN", "RTS5158.adr",
                                            "KS7010.BIN", "BMPMAP.BIN") +
                                    kFullUpdateBlock);
  EXPECT_EQ(harness.messageBoxes().size(), 1u);
}

struct SummaryRow {
  const char* name;
  std::string deviceTxt;
  // Whole lines of the summary, without the line feed before the first.
  std::string lines;
};

// Each row's lines must stand in the summary as whole lines.
TEST_F(LoadUserIspDataTest, EntriesAsTheSummaryShowsThem) {
  const std::string setting26 = "x01,x02,x03,x04,x05,x06,x07,x08,x09,x0a,x0b,x0c,x0d,x0e,x0f,x10,x11,x12,x13,x14,"
                                "x15,x16,x17,x18,x19,x1a";
  const SummaryRow rows[] = {
      // Entry syntax.
      {"blanks around the equals sign", "VID = \"1234\";", "VID            : 0x1234 "},
      {"no blanks around the equals sign", "VID=\"1234\";", "VID            : No Active"},
      {"no blank after the equals sign", "VID =\"1234\";", "VID            : No Active"},
      {"line ends as white space", "VID\n=\r\n\t\"1234\";", "VID            : 0x1234 "},
      {"key is case-sensitive", "vid = \"1234\";", "VID            : No Active"},
      {"key must match whole", "VIDS = \"1234\"; XVID = \"1234\";", "VID            : No Active"},
      {"first occurrence decides, later good entry unread", "VID \"1234\";\nVID = \"5678\";",
       "VID            : No Active"},
      {"first occurrence decides, in a comment", "// VID = \"00aa\"; old\nVID = \"5678\";",
       "VID            : 0x00aa "},
      {"key as the last token", "PID = \"0001\"; VID", "VID            : No Active"},
      {"no value after the equals sign", "VID =", "VID            : No Active"},
      {"value without quotes", "VID = 1234;", "VID            : No Active"},
      {"value without semicolon", "VID = \"1234\"", "VID            : No Active"},
      {"empty value", "String_Manufacture = \"\";", "Str_Manufacture: No Active"},
      {"value with blanks keeps them", "String_Manufacture = \"Card  Reader Co\";",
       "Str_Manufacture: Card  Reader Co         "},
      {"value starting with a blank", "String_Product = \" Lead\";", "Str_Product    :  Lead                   "},
      {"value across a line end", "String_Product = \"two\r\nlines\";",
       "Str_Product    : two\nlines" + std::string(15, ' ')},
      {"last semicolon of the token ends the value", "String_Product = \"a;b\";",
       "Str_Product    : a;b                     "},
      {"unterminated quote", "String_Product = \"no end", "Str_Product    : No Active"},
      {"24 characters fill the field", "String_Product = \"ABCDEFGHIJKLMNOPQRSTUVWX\";",
       "Str_Product    : ABCDEFGHIJKLMNOPQRSTUVWX"},
      {"25 characters are too long", "String_Product = \"ABCDEFGHIJKLMNOPQRSTUVWXY\";",
       "Str_Product    : No Active"},
      {"full string field does not run into the next", "String_Manufacture = \"ABCDEFGHIJKLMNOPQRSTUVWX\";\n"
       "String_Product = \"P\";",
       "Str_Manufacture: ABCDEFGHIJKLMNOPQRSTUVWX\nStr_Product    : P                       "},
      // Hex words.
      {"lower-case hex digits", "PID = \"beef\";", "PID            : 0xbeef "},
      {"upper-case hex digits", "PID = \"BEEF\";", "PID            : 0xbeef "},
      {"one non-hex digit", "VID = \"12G4\";", "VID            : No Active"},
      {"three digits", "VID = \"123\";", "VID            : No Active"},
      {"five digits", "VID = \"12345\";", "VID            : No Active"},
      {"0x prefix makes six characters", "VID = \"0x1234\";", "VID            : No Active"},
      // Serial and inquiry texts.
      {"serial of 12 characters", "KS~@$^_Str_Serial = \"ABCDEFGHIJKL\";", "Str_Serial     : ABCDEFGHIJKL"},
      {"serial of 13 characters", "KS~@$^_Str_Serial = \"ABCDEFGHIJKLM\";", "Str_Serial     : No Active"},
      {"short serial is not padded with blanks", "KS~@$^_Str_Serial = \"SN 1\";", "Str_Serial     : SN 1"},
      {"inquiry vendor padded to 8", "Inquiry_Manufacture = \"USB\";", "Inq_Manufacture: USB     "},
      {"inquiry vendor of 9", "Inquiry_Manufacture = \"Generic-X\";", "Inq_Manufacture: No Active"},
      {"inquiry product of 16", "Inquiry_Product = \"0123456789ABCDEF\";", "Inq_Product    : 0123456789ABCDEF"},
      {"inquiry product of 17", "Inquiry_Product = \"0123456789ABCDEFG\";", "Inq_Product    : No Active"},
      {"inquiry version of 4", "Inquiry_Version = \"9.99\";", "Inq_Version    : 9.99"},
      {"inquiry version of 3", "Inquiry_Version = \"1.0\";", "Inq_Version    : No Active"},
      {"inquiry version of 5", "Inquiry_Version = \"1.000\";", "Inq_Version    : No Active"},
      // File names and the address file.
      {"eight-character base name", "ISP_ROMCODE = \"ABCDEFGH.BIN\";",
       "ISP USB ROMCODE: ABCDEFGH.BIN\nISP ADDRESS    : ABCDEFGH.adr"},
      {"one-character base name", "ISP_ROMCODE = \"A.B\";", "ISP USB ROMCODE: A.B\nISP ADDRESS    : A.adr"},
      {"no dot", "ISP_ROMCODE = \"ROMCODE\";", "ISP USB ROMCODE: ROMCODE\nISP ADDRESS    : "},
      {"dot first", "ISP_ROMCODE = \".BIN\";", "ISP USB ROMCODE: .BIN\nISP ADDRESS    : "},
      {"nine-character base name", "ISP_ROMCODE = \"ABCDEFGHI.BN\";",
       "ISP USB ROMCODE: ABCDEFGHI.BN\nISP ADDRESS    : "},
      {"second dot after the first", "ISP_ROMCODE = \"A.B.C\";", "ISP USB ROMCODE: A.B.C\nISP ADDRESS    : A.adr"},
      {"13-character file name", "ISP_ROMCODE = \"ABCDEFGH.BINX\";", "ISP USB ROMCODE: \nISP ADDRESS    : "},
      {"memory stick and bmpmap names", "MS_ISP_ROMCODE = \"MS.BIN\";\nBmpMap_file = \"MAP 1.BIN\";",
       "ISP KS7010 ROM : MS.BIN\nISP BmpMap File: MAP 1.BIN"},
      // Device setting.
      {"three entries, the rest 0xff", "Device_setting = \"0x12,0xab,0xCD\";",
       "DEV_setting    : \n         0 ~ 7 : 0x12 0xab 0xcd 0xff 0xff 0xff 0xff 0xff "
       "\n         8 ~ 15: 0xff 0xff 0xff 0xff 0xff 0xff 0xff 0xff "
       "\n        16 ~ 23: 0xff 0xff 0xff 0xff 0xff 0xff 0xff 0xff \n        24 ~ 25: 0xff 0xff "},
      {"single hex digits take the next character, scan resumes four on", "Device_setting = \"x1,x2,x3,x4\";",
       "         0 ~ 7 : 0x10 0x30 0xff 0xff 0xff 0xff 0xff 0xff "},
      {"non-hex digits count 0", "Device_setting = \"xZ1 xG\";", "         0 ~ 7 : 0x01 0x00 0xff 0xff 0xff 0xff 0xff 0xff "},
      {"more than 26 entries", "Device_setting = \"" + setting26 + ",x77,x88\";",
       "        16 ~ 23: 0x11 0x12 0x13 0x14 0x15 0x16 0x17 0x18 \n        24 ~ 25: 0x19 0x1a "},
      {"no entries", "Device_setting = \"none\";", "         0 ~ 7 : 0xff 0xff 0xff 0xff 0xff 0xff 0xff 0xff "},
      {"malformed list", "Device_setting = x01;", "DEV_Setting    : No Active"},
      // ROM select code.
      {"rom setting 0x form", "ROM_setting = \"0x3C\";", "ROM SELECT CODE: 0x3c "},
      {"rom setting x first", "ROM_setting = \"x5a\";", "ROM SELECT CODE: 0x5a "},
      {"x as the fifth character of the token", "ROM_setting = \"abcx12\";", "ROM SELECT CODE: 0x12 "},
      {"x as the sixth character of the token", "ROM_setting = \"abcdx12\";", "ROM SELECT CODE: 0x00 "},
      {"x as the last character of the value", "ROM_setting = \"x\";", "ROM SELECT CODE: 0x00 "},
  };
  for (const auto& row : rows) {
    writeDeviceTxt(row.deviceTxt);
    const std::string summary = loadAndSummarise();
    EXPECT_NE(summary.find("\n" + row.lines + "\n"), std::string::npos)
        << row.name << "\nexpected lines:\n" << row.lines << "\nsummary:" << summary;
  }
}

// Megabyte tokens, binary bytes and every key twice: the oversized value is
// absent, the entries around it still count, the first of each pair decides.
TEST_F(LoadUserIspDataTest, HostileFileKeepsItsGoodEntries) {
  // Four of them stay within the file's limit of 4 MiB.
  const std::string megabyte(1'000'000, 'x');
  writeDeviceTxt(megabyte + "\nString_Product = \"" + megabyte + "\";\n" + std::string("\0\xFF\x1A\x80=;\"", 7) +
                 "\nVID = \"1234\";\nVID = \"5678\";\nPID = \"" + megabyte + "\nPID = \"0001\";\n" +
                 "ROM_setting = \"x" + megabyte);
  const std::string summary = loadAndSummarise();
  for (const char* line : {"\nVID            : 0x1234 \n", "\nPID            : No Active\n",
                           "\nStr_Product    : No Active\n", "\nROM SELECT CODE: 0x00 \n"}) {
    EXPECT_NE(summary.find(line), std::string::npos) << line << "\nsummary:" << summary;
  }
}

struct SystemRow {
  const char* name;
  SystemInformation system;
  const char* lines;
};

TEST_F(LoadUserIspDataTest, SystemBlockNamesWindowsAndTheSelfDriver) {
  const SystemRow rows[] = {
      {"windows 98 at start-up, driver list not yet filled", {1, false, "", ""},
       "OS            : Windows 98\nDevice Driver : \nISP USB ROMCODE: "},
      {"windows 98 with a driver chosen", {1, false, "KVDKPDRV.PDR", ""},
       "OS            : Windows 98\nDevice Driver : KVDKPDRV.PDR\nISP USB ROMCODE: "},
      {"windows me with the self driver", {2, true, "KV20DISK.PDR", ""},
       "OS            : Windows ME\nDevice Driver : KV20DISK.PDR\nISP USB ROMCODE: "},
      {"windows me without it", {2, false, "KV20DISK.PDR", ""}, "OS            : Windows ME\nISP USB ROMCODE: "},
      {"windows 2000", {3, false, "", ""}, "OS            : Windows 2K\nISP USB ROMCODE: "},
      {"windows xp", {4, false, "", ""}, "OS            : Windows XP\nISP USB ROMCODE: "},
      {"unsupported", {0, false, "", ""}, "OS            : Unknown\nISP USB ROMCODE: "},
      {"a host that is not windows", {5, false, "", "Linux 6.1.0-28-amd64"},
       "OS            : Linux 6.1.0-28-amd64\nISP USB ROMCODE: "},
      {"out of range", {6, false, "", ""}, "OS            : Unknown\nISP USB ROMCODE: "},
  };
  writeDeviceTxt("");
  for (const auto& row : rows) {
    const std::string summary = loadAndSummarise(row.system);
    EXPECT_NE(summary.find("\n" + std::string(row.lines)), std::string::npos) << row.name << "\nsummary:" << summary;
  }
}

}  // namespace
}  // namespace updater
