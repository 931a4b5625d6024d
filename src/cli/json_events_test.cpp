#include "cli/json_events.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace updater {
namespace {

TranscriptEvent event(EventKind kind) {
  TranscriptEvent e;
  e.kind = kind;
  return e;
}

TEST(JsonEvents, EachKindCarriesItsOwnKeysInOrder) {
  TranscriptEvent action = event(EventKind::Action);
  action.name = "driver=KVDKPDRV.PDR";

  TranscriptEvent box = event(EventKind::MessageBox);
  box.icon = MessageIcon::Warning;
  box.caption = "updater";
  box.text = "ISP_E2: Before ISP, Please select the [ISP_ena] first!!!";

  TranscriptEvent control = event(EventKind::Control);
  control.id = 1021;
  control.text = "\n Total Device Plug In : 1 ";

  TranscriptEvent list = event(EventKind::List);
  list.id = 1027;
  list.items = {"KV20DISK.PDR", "KVDKPDRV.PDR", "QM_URDR.PDR"};
  list.selected = 1;

  TranscriptEvent emptyList = event(EventKind::List);
  emptyList.id = 1030;

  TranscriptEvent range = event(EventKind::StatusWindow);
  range.name = "range";
  range.low = 0;
  range.high = 15;
  TranscriptEvent step = event(EventKind::StatusWindow);
  step.name = "step";
  step.step = 3;
  TranscriptEvent stepIt = event(EventKind::StatusWindow);
  stepIt.name = "stepIt";
  stepIt.position = 3;
  TranscriptEvent label = event(EventKind::StatusWindow);
  label.name = "label";
  label.text = "    ISP status : ";
  TranscriptEvent show = event(EventKind::StatusWindow);
  show.name = "show";

  TranscriptEvent console = event(EventKind::Console);
  console.text = "open drive E";

  TranscriptEvent status = event(EventKind::Io);
  status.route = "PassThrough";
  status.name = "getIspStatus";
  status.reader = 1;
  status.cdb = "6d0000000000000008000000";
  status.length = 8;
  status.ok = true;
  status.status = 0x0c;

  TranscriptEvent close = event(EventKind::Io);
  close.route = "PassThrough";
  close.name = "close";
  close.reader = 0;
  close.ok = false;

  TranscriptEvent sleep = event(EventKind::Sleep);
  sleep.ms = 100;

  TranscriptEvent violation = event(EventKind::Violation);
  violation.text = "PassThrough TargetId 0, expected 1";

  TranscriptEvent replayViolation = event(EventKind::Violation);
  replayViolation.text = "reader 2 request 10 (sendIspData): byte 4153 is 0x7a, recorded 0x73";
  replayViolation.reader = 2;
  replayViolation.requestIndex = 10;
  replayViolation.byteOffset = 4153;

  const struct {
    const char* name;
    TranscriptEvent event;
    const char* line;
  } rows[] = {
      {"action", action, R"({"event":"action","name":"driver=KVDKPDRV.PDR"})"},
      {"message box", box,
       R"({"event":"messageBox","icon":"warning","caption":"updater","text":"ISP_E2: Before ISP, Please select the [ISP_ena] first!!!"})"},
      {"control", control, R"({"event":"control","id":1021,"text":"\n Total Device Plug In : 1 "})"},
      {"list", list,
       R"({"event":"list","id":1027,"items":["KV20DISK.PDR","KVDKPDRV.PDR","QM_URDR.PDR"],"selected":1})"},
      {"empty list", emptyList, R"({"event":"list","id":1030,"items":[],"selected":-1})"},
      {"range", range, R"({"event":"statusWindow","op":"range","low":0,"high":15})"},
      {"step", step, R"({"event":"statusWindow","op":"step","step":3})"},
      {"stepIt", stepIt, R"({"event":"statusWindow","op":"stepIt","position":3})"},
      {"label", label, R"({"event":"statusWindow","op":"label","text":"    ISP status : "})"},
      {"show", show, R"({"event":"statusWindow","op":"show"})"},
      {"console", console, R"({"event":"console","text":"open drive E"})"},
      {"io with status", status,
       R"({"event":"io","route":"PassThrough","command":"getIspStatus","reader":1,"cdb":"6d0000000000000008000000","length":8,"ok":true,"status":"0c"})"},
      {"io without command block", close,
       R"({"event":"io","route":"PassThrough","command":"close","reader":0,"length":0,"ok":false})"},
      {"sleep", sleep, R"({"event":"sleep","ms":100})"},
      {"violation", violation, R"({"event":"violation","text":"PassThrough TargetId 0, expected 1"})"},
      {"violation of a replayed session", replayViolation,
       R"({"event":"violation","text":"reader 2 request 10 (sendIspData): byte 4153 is 0x7a, recorded 0x73","reader":2,"request":10,"offset":4153})"},
  };
  for (const auto& row : rows) EXPECT_EQ(jsonEventLine(row.event), row.line) << row.name;
}

TEST(JsonEvents, EndCarriesTheCountersAsIntegers) {
  RunSummary summary;
  summary.statusLog = "\nSuccess Number Of ISP: a";
  summary.totalCount = 11;
  summary.errorCount = 1;
  summary.successCount = 10;
  summary.cem = 0x12;
  summary.pc = 0x34;
  summary.cnt = 0xFFFF;
  summary.deviceCount = 2;
  summary.selectedIndex = 1;
  summary.openHandles = 0;
  EXPECT_EQ(jsonEndLine(summary),
            R"({"event":"end","statusLog":"\nSuccess Number Of ISP: a","tally":{"total":11,"error":1,"success":10},)"
            R"("serial":{"cem":18,"pc":52,"cnt":65535},"deviceCount":2,"selectedIndex":1,"openHandles":0})");
}

// Every byte of a text comes back as the character of the same code, the
// ones above 0x7F and the control characters included.
TEST(JsonEvents, EachByteBecomesTheCharacterOfTheSameCode) {
  TranscriptEvent box = event(EventKind::MessageBox);
  std::string every;
  for (int code = 1; code < 256; ++code) every += static_cast<char>(code);
  box.text = every;
  box.caption = "\xB5\xFF";
  const auto parsed = nlohmann::json::parse(jsonEventLine(box));
  EXPECT_EQ(parsed["caption"].get<std::string>(), "\u00B5\u00FF");

  const std::string text = parsed["text"].get<std::string>();
  std::u32string codes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      codes += static_cast<char32_t>(lead);
    } else {
      ASSERT_LT(i + 1, text.size());
      codes += static_cast<char32_t>(((lead & 0x1F) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
    }
  }
  ASSERT_EQ(codes.size(), 255u);
  for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(codes[i], static_cast<char32_t>(i + 1)) << i;
}

}  // namespace
}  // namespace updater
