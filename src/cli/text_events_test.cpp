#include "cli/text_events.h"

#include <gtest/gtest.h>

#include <sstream>

namespace updater {
namespace {

TranscriptEvent action(std::string name) {
  TranscriptEvent e;
  e.kind = EventKind::Action;
  e.name = std::move(name);
  return e;
}

TranscriptEvent statusOp(std::string op, std::string text = "") {
  TranscriptEvent e;
  e.kind = EventKind::StatusWindow;
  e.name = std::move(op);
  e.text = std::move(text);
  return e;
}

TranscriptEvent range(int low, int high) {
  TranscriptEvent e = statusOp("range");
  e.low = low;
  e.high = high;
  return e;
}

TranscriptEvent stepIt(int position) {
  TranscriptEvent e = statusOp("stepIt");
  e.position = position;
  return e;
}

TranscriptEvent list(int id, std::vector<std::string> items, int selected) {
  TranscriptEvent e;
  e.kind = EventKind::List;
  e.id = id;
  e.items = std::move(items);
  e.selected = selected;
  return e;
}

std::string render(const std::vector<TranscriptEvent>& events, bool terminal) {
  std::ostringstream out;
  TextTranscriptWriter writer(out, terminal);
  for (const auto& e : events) writer.write(e);
  return out.str();
}

// A programming run's status window: the window as the sequence drives it.
std::vector<TranscriptEvent> programmingWindow() {
  return {statusOp("create"),
          range(0, 15),
          statusOp("show"),
          statusOp("label", "    ISP status : "),
          statusOp("text", ""),
          stepIt(3),
          statusOp("text", "=====\n==  Internal\nSUCCESS! ISP STATUS:9c [Firmware jump into ISP now]"),
          stepIt(5),
          statusOp("text",
                   "=====\n==  Internal\nSUCCESS! ISP STATUS:9c [Firmware jump into ISP now]\nSUCCESS! ISP STATUS:a5 "
                   "[Write Data sucessfull]"),
          statusOp("hide"),
          statusOp("destroy")};
}

TEST(TextEvents, ActionsAreHeadingsThatSayWhatTheOperatorDid) {
  EXPECT_EQ(render({action("start"), action("isp"), action("driver=KVDKPDRV.PDR"), action("device=:")}, false),
            "=== start: the window opens\n"
            "\n=== isp: click \"WIN9xISP\"\n"
            "\n=== driver=KVDKPDRV.PDR: choose \"KVDKPDRV.PDR\" in \"Driver Select\"\n"
            "\n=== device=:: choose \":\" in \"Device Sel\"\n");
}

TEST(TextEvents, MessageBoxIsFramedWithItsIconAndCaption) {
  TranscriptEvent box;
  box.kind = EventKind::MessageBox;
  box.icon = MessageIcon::Stop;
  box.caption = "Message Dialog";
  box.text = "Error!!! DEBUG : JMP ISP reponse status : 9b\nError!!! JMP ISP reponse status  != 0x9c !!!";
  EXPECT_EQ(render({box}, false),
            "+-- (X) Message Dialog -----------------------------------------\n"
            "| Error!!! DEBUG : JMP ISP reponse status : 9b\n"
            "| Error!!! JMP ISP reponse status  != 0x9c !!!\n"
            "+--------------------------------------------------------- [OK]\n");
}

TEST(TextEvents, ReportAreaReadsLineByLineAndListsShowTheirLastState) {
  TranscriptEvent report;
  report.kind = EventKind::Control;
  report.id = 1021;
  report.text = "\nSuccess Number Of ISP: 1";
  TranscriptEvent name;
  name.kind = EventKind::Control;
  name.id = 1024;
  name.text = "USB Card Reader [E:] [F:] ";
  EXPECT_EQ(render({list(1030, {}, -1), list(1030, {"1"}, -1), list(1030, {"1", "2"}, -1), list(1030, {"1", "2"}, 0),
                    list(1027, {}, -1), report, name},
                   false),
            "Device Sel    : [1] 2\n"
            "Driver Select : (empty)\n"
            "report area:\n"
            "  |\n"
            "  | Success Number Of ISP: 1\n"
            "device name   : USB Card Reader [E:] [F:] \n");
}

TEST(TextEvents, WithoutATerminalTheStatusWindowIsPlainLines) {
  EXPECT_EQ(render(programmingWindow(), false),
            "--- status window \"PROCESS STATUS DIALOG\" shown\n"
            "  progress \"    ISP status : \" 3 in 0..15\n"
            "  > =====\n"
            "  > ==  Internal\n"
            "  > SUCCESS! ISP STATUS:9c [Firmware jump into ISP now]\n"
            "  progress \"    ISP status : \" 5 in 0..15\n"
            "  > SUCCESS! ISP STATUS:a5 [Write Data sucessfull]\n"
            "--- status window hidden\n");
}

TEST(TextEvents, OnATerminalTheBarIsRedrawnInPlaceBelowTheLog) {
  const std::string bar0 = "\r\033[K    ISP status : [..............................] 0/15";
  const std::string bar3 = "\r\033[K    ISP status : [######........................] 3/15";
  const std::string bar5 = "\r\033[K    ISP status : [##########....................] 5/15";
  const std::string clear = "\r\033[K";
  EXPECT_EQ(render(programmingWindow(), true),
            "--- status window \"PROCESS STATUS DIALOG\" shown\n"
            "\r\033[KStatic[..............................] 0/15" +
                bar0 + bar3 +
                clear + "  > =====\n" + bar3 +
                clear + "  > ==  Internal\n" + bar3 +
                clear + "  > SUCCESS! ISP STATUS:9c [Firmware jump into ISP now]\n" + bar3 + bar5 +
                clear + "  > SUCCESS! ISP STATUS:a5 [Write Data sucessfull]\n" + bar5 +
                "\n--- status window hidden\n");
}

TEST(TextEvents, EndSummarisesTheRun) {
  RunSummary summary;
  summary.statusLog = "\nTotal   Number Of ISP: 1";
  summary.totalCount = 1;
  summary.successCount = 1;
  summary.cem = 1;
  summary.pc = 2;
  summary.cnt = 1;
  summary.deviceCount = 1;
  std::ostringstream out;
  TextTranscriptWriter writer(out, false);
  writer.writeEnd(summary);
  EXPECT_EQ(out.str(),
            "\n=== end\n"
            "status log:\n"
            "  |\n"
            "  | Total   Number Of ISP: 1\n"
            "tally          : success 0x1, error 0x0, total 0x1\n"
            "serial counter : CEM 0x01, PC 0x02, CNT 0x0001\n"
            "devices        : 1, selected index 0\n"
            "open handles   : 0\n");
}

TEST(TextEvents, BytesAboveAsciiReachTheTerminalAsTheirCharacters) {
  TranscriptEvent console;
  console.kind = EventKind::Console;
  console.text = "caf\xE9";
  EXPECT_EQ(render({console}, false), "console: caf\u00E9\n");
}

}  // namespace
}  // namespace updater
