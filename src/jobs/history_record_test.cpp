#include "jobs/history_record.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(HistoryRecord, HeaderNamesTheColumnsInFileOrder) {
  EXPECT_EQ(historyHeaderLine(),
            "time,job,result,message,serial,cem,pc,route,units,vid,pid,usb_serial,hw_revision,fw_revision,image,"
            "image_bytes,image_sha256,program_version\r\n");
}

TEST(HistoryRecord, EachFieldInItsColumnQuotedOnlyWhereASpreadsheetNeedsIt) {
  HistoryRecord record;
  record.time = "2007-12-25T09:30:00";
  record.job = "isp";
  record.result = "failure";
  record.message = "Error!!! DEBUG : JMP Verify reponse status : 12\nError!!! JMP ISP reponse status  != 0x9c !!!";
  record.serial = "018514020000";
  record.cem = "01";
  record.pc = "02";
  record.route = "PassThrough";
  record.units = "E: F:";
  record.vid = "1234";
  record.pid = "5678";
  record.usbSerial = "say \"hi\", 1";
  record.hwRevision = "4023A";
  record.fwRevision = "1.03.07-2007-11-28[OEM-00][CEM-1c]";
  record.image = " DEMOFW.BIN";
  record.imageBytes = "32000";
  record.imageSha256 = "ab";
  record.programVersion = "1.60";
  EXPECT_EQ(historyLine(record),
            "2007-12-25T09:30:00,isp,failure,\"Error!!! DEBUG : JMP Verify reponse status : 12\n"
            "Error!!! JMP ISP reponse status  != 0x9c !!!\",018514020000,01,02,PassThrough,E: F:,1234,5678,"
            "\"say \"\"hi\"\", 1\",4023A,1.03.07-2007-11-28[OEM-00][CEM-1c],\" DEMOFW.BIN\",32000,ab,1.60\r\n");
}

TEST(HistoryRecord, AnEmptyRecordIsSeventeenCommas) {
  EXPECT_EQ(historyLine({}), std::string(17, ',') + "\r\n");
}

TEST(HistoryRecord, TimeIsIso8601WithLeadingZeros) {
  EXPECT_EQ(isoLocalTime({{2007, 2, 5}, 9, 3, 7}), "2007-02-05T09:03:07");
  EXPECT_EQ(isoLocalTime({{2026, 12, 31}, 23, 59, 59}), "2026-12-31T23:59:59");
}

}  // namespace
}  // namespace updater
