#include "cli/text_events.h"

#include <algorithm>
#include <string_view>

#include "app/control_ids.h"
#include "common/byte_text.h"
#include "common/text_format.h"

namespace updater {
namespace {

constexpr std::size_t kFrameWidth = 64;
constexpr int kBarWidth = 30;
constexpr std::string_view kClearLine = "\r\033[K";

/// What the operator did, for the heading of each action.
struct ActionHeading {
  std::string_view name;  // the action, or the prefix of one that takes an argument
  bool takesArgument;
  std::string_view before;
  std::string_view after;
};

constexpr ActionHeading kActionHeadings[] = {
    {"start", false, "the window opens", ""},
    {"getinfo", false, "click \"GetInfo\"", ""},
    {"userinfo", false, "click \"UserISPInfo\"", ""},
    {"selfdriver", false, "click \"SelfDriverSel\"", ""},
    {"ispena", false, "click \"ISP_Ena\"", ""},
    {"msmode", false, "click \"ISP_MS F/W\"", ""},
    {"driver=", true, "choose \"", "\" in \"Driver Select\""},
    {"device=", true, "choose \"", "\" in \"Device Sel\""},
    {"isp", false, "click \"WIN9xISP\"", ""},
    {"verify", false, "click \"WIN9xVER\"", ""},
    {"isp-all", false, "click \"WIN9xISP\" for every reader at once", ""},
    {"verify-all", false, "click \"WIN9xVER\" for every reader at once", ""},
    {"close", false, "click \"Close\"", ""},
};

std::string headingFor(const std::string& action) {
  for (const auto& row : kActionHeadings) {
    if (row.takesArgument && action.starts_with(row.name)) {
      return std::string(row.before) + action.substr(row.name.size()) + std::string(row.after);
    }
    if (!row.takesArgument && action == row.name) return std::string(row.before);
  }
  return {};
}

std::string_view iconMark(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop: return "(X) ";
    case MessageIcon::Warning: return "(!) ";
    case MessageIcon::Information: return "(i) ";
    case MessageIcon::None: return "";
  }
  return "";
}

std::string frameTop(const std::string& title) {
  std::string top = "+-- " + title + ' ';
  if (top.size() < kFrameWidth) top.append(kFrameWidth - top.size(), '-');
  return top;
}

std::string_view listName(int id) { return id == control::kDeviceList ? "Device Sel   " : "Driver Select"; }

std::string listText(const TranscriptEvent& event) {
  if (event.items.empty()) return "(empty)";
  std::string text;
  for (std::size_t i = 0; i < event.items.size(); ++i) {
    if (i > 0) text += ' ';
    const bool selected = static_cast<int>(i) == event.selected;
    text += selected ? "[" + event.items[i] + "]" : event.items[i];
  }
  if (event.selected < 0) text += "  (none selected)";
  return text;
}

std::string number(long long value) { return std::to_string(value); }

std::string hexWidth(std::uint32_t value, int width) {
  std::string text = "0x";
  appendPaddedHex(text, value, static_cast<std::size_t>(width));
  return text;
}

}  // namespace

void TextTranscriptWriter::write(const TranscriptEvent& event) {
  if (event.kind == EventKind::List) {
    writeList(event);
    return;
  }
  flushPendingList();
  switch (event.kind) {
    case EventKind::Action: writeAction(event); break;
    case EventKind::MessageBox: writeMessageBox(event); break;
    case EventKind::Control: writeControl(event); break;
    case EventKind::StatusWindow: writeStatusWindow(event); break;
    case EventKind::Console: line("console: " + event.text); break;
    case EventKind::Io: writeIo(event); break;
    case EventKind::Sleep: line("  sleep " + number(event.ms) + " ms"); break;
    case EventKind::Violation: line("!! violation: " + event.text); break;
    case EventKind::ReaderResult: writeReaderResult(event); break;
    case EventKind::ReaderTotals: writeReaderTotals(event); break;
    case EventKind::List:
    case EventKind::End: break;
  }
}

void TextTranscriptWriter::writeEnd(const RunSummary& summary) {
  flushPendingList();
  endBar();
  line("");
  line("=== end");
  line("status log:");
  block("  | ", summary.statusLog);
  line("tally          : success " + hexWidth(summary.successCount, 0) + ", error " +
       hexWidth(summary.errorCount, 0) + ", total " + hexWidth(summary.totalCount, 0));
  line("serial counter : CEM " + hexWidth(summary.cem, 2) + ", PC " + hexWidth(summary.pc, 2) + ", CNT " +
       hexWidth(summary.cnt, 4));
  line("devices        : " + number(summary.deviceCount) + ", selected index " + number(summary.selectedIndex));
  line("open handles   : " + number(static_cast<long long>(summary.openHandles)));
  out_.flush();
}

void TextTranscriptWriter::writeAction(const TranscriptEvent& event) {
  endBar();
  if (event.name != "start") line("");
  const std::string heading = headingFor(event.name);
  line("=== " + event.name + (heading.empty() ? "" : ": " + heading));
}

void TextTranscriptWriter::writeMessageBox(const TranscriptEvent& event) {
  line(frameTop(std::string(iconMark(event.icon)) + event.caption));
  block("| ", event.text);
  line("+" + std::string(kFrameWidth - 7, '-') + " [OK]");
}

void TextTranscriptWriter::writeControl(const TranscriptEvent& event) {
  switch (event.id) {
    case control::kReportArea:
      line("report area:");
      block("  | ", event.text);
      break;
    case control::kDeviceName: line("device name   : " + event.text); break;
    case control::kDriverLabel: line("driver label  : " + event.text); break;
    default: line("control " + number(event.id) + ": " + event.text); break;
  }
}

void TextTranscriptWriter::writeList(const TranscriptEvent& event) {
  if (listPending_ && pendingList_.id != event.id) flushPendingList();
  pendingList_ = event;
  listPending_ = true;
}

void TextTranscriptWriter::flushPendingList() {
  if (!listPending_) return;
  listPending_ = false;
  line(std::string(listName(pendingList_.id)) + " : " + listText(pendingList_));
}

void TextTranscriptWriter::writeStatusWindow(const TranscriptEvent& event) {
  using Handler = void (TextTranscriptWriter::*)(const TranscriptEvent&);
  static constexpr struct {
    std::string_view op;
    Handler handler;
  } kOps[] = {
      {"create", &TextTranscriptWriter::statusCreated},  {"show", &TextTranscriptWriter::statusShown},
      {"hide", &TextTranscriptWriter::statusHidden},     {"destroy", &TextTranscriptWriter::statusDestroyed},
      {"label", &TextTranscriptWriter::statusLabelSet},  {"text", &TextTranscriptWriter::statusTextSet},
      {"range", &TextTranscriptWriter::statusRangeSet},  {"step", &TextTranscriptWriter::statusStepSet},
      {"stepIt", &TextTranscriptWriter::statusStepped},
  };
  for (const auto& row : kOps) {
    if (row.op == event.name) (this->*row.handler)(event);
  }
}

void TextTranscriptWriter::statusCreated(const TranscriptEvent&) {
  statusLabel_ = "Static";  // the window template's texts
  statusText_ = "TEXT";
  bar_ = ProgressBar{};
}

void TextTranscriptWriter::statusShown(const TranscriptEvent&) {
  line("--- status window \"PROCESS STATUS DIALOG\" shown");
  statusShown_ = true;
  if (bars_ == Bars::InPlace) drawBar();
}

void TextTranscriptWriter::statusHidden(const TranscriptEvent&) {
  endBar();
  statusShown_ = false;
  line("--- status window hidden");
}

void TextTranscriptWriter::statusDestroyed(const TranscriptEvent&) {
  endBar();
  statusShown_ = false;
}

void TextTranscriptWriter::statusLabelSet(const TranscriptEvent& event) {
  statusLabel_ = event.text;
  if (barDrawn_) drawBar();
}

void TextTranscriptWriter::statusRangeSet(const TranscriptEvent& event) {
  bar_.setRange(static_cast<std::uint16_t>(event.low), static_cast<std::uint16_t>(event.high));
  if (barDrawn_) drawBar();
}

void TextTranscriptWriter::statusStepSet(const TranscriptEvent& event) { bar_.step = event.step; }

void TextTranscriptWriter::statusStepped(const TranscriptEvent& event) {
  bar_.position = event.position;
  if (bars_ == Bars::InPlace) drawBar();
  if (bars_ != Bars::Lines) return;
  line("  progress \"" + statusLabel_ + "\" " + number(bar_.position) + " in " + number(bar_.low) + ".." +
       number(bar_.high));
}

// The log area is replaced whole each time; what people want to read is what
// was added, so only the new lines are written when the text grew.
void TextTranscriptWriter::statusTextSet(const TranscriptEvent& event) {
  const std::string& text = event.text;
  const bool grew = !statusText_.empty() && text.starts_with(statusText_);
  std::string added = grew ? text.substr(statusText_.size()) : text;
  statusText_ = text;
  if (grew && added.starts_with('\n')) added.erase(0, 1);
  if (added.empty()) return;
  block("  > ", added);
}

void TextTranscriptWriter::writeIo(const TranscriptEvent& event) {
  std::string text = "  io " + event.route + " reader " + number(event.reader) + ' ' + event.name;
  if (!event.cdb.empty()) text += " cdb " + event.cdb;
  text += " length " + number(event.length) + (event.ok ? " ok" : " FAILED");
  if (event.status >= 0) text += " status " + hexWidth(static_cast<std::uint32_t>(event.status), 2).substr(2);
  if (!event.text.empty()) text += " (" + event.text + ")";
  line(text);
}

void TextTranscriptWriter::writeReaderResult(const TranscriptEvent& event) {
  line("reader " + number(event.reader) + " [" + event.units + "] serial " +
       (event.serial.empty() ? std::string("none") : event.serial) + ": " + event.name + ": " + event.text);
}

void TextTranscriptWriter::writeReaderTotals(const TranscriptEvent& event) {
  line("readers: " + number(event.successCount + event.failureCount) + ", success " + number(event.successCount) +
       ", failure " + number(event.failureCount));
}

void TextTranscriptWriter::line(const std::string& text) {
  if (barDrawn_) out_ << kClearLine;
  out_ << utf8FromBytes(linePrefix_ + text) << '\n';
  if (barDrawn_) drawBar();
}

void TextTranscriptWriter::block(const std::string& prefix, const std::string& text) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    const std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // An empty line gets no trailing blank from the prefix.
    line(piece.empty() ? prefix.substr(0, prefix.find_last_not_of(' ') + 1) : prefix + piece);
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

std::string TextTranscriptWriter::barText() const {
  const int span = std::max(1, bar_.high - bar_.low);
  const int filled = std::clamp((bar_.position - bar_.low) * kBarWidth / span, 0, kBarWidth);
  return utf8FromBytes(linePrefix_ + statusLabel_) + '[' + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " + number(bar_.position) + '/' +
         number(bar_.high);
}

std::optional<std::string> TextTranscriptWriter::barLine() const {
  if (!statusShown_) return std::nullopt;
  return barText();
}

void TextTranscriptWriter::drawBar() {
  out_ << kClearLine << barText() << std::flush;
  barDrawn_ = true;
}

void TextTranscriptWriter::endBar() {
  if (!barDrawn_) return;
  out_ << '\n';
  barDrawn_ = false;
}

}  // namespace updater
