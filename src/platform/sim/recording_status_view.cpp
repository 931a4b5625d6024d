#include "platform/sim/recording_status_view.h"

namespace updater {

void RecordingStatusView::record(const char* op) {
  TranscriptEvent event;
  event.kind = EventKind::StatusWindow;
  event.name = op;
  transcript_.add(std::move(event));
}

bool RecordingStatusView::checkExists() {
  if (!exists_) ++misuses_;
  return exists_;
}

void RecordingStatusView::create() {
  if (exists_) ++misuses_;  // one window at a time
  exists_ = true;
  visible_ = false;
  label_ = "Static";  // the template's texts
  text_ = "TEXT";
  bar_ = ProgressBar{};
  bar_.position = 0;
  ++createdCount_;
  record("create");
}

void RecordingStatusView::destroy() {
  if (!checkExists()) return;
  exists_ = false;
  visible_ = false;
  record("destroy");
}

void RecordingStatusView::show() {
  if (!checkExists()) return;
  visible_ = true;
  record("show");
}

void RecordingStatusView::hide() {
  if (!checkExists()) return;
  visible_ = false;
  record("hide");
}

void RecordingStatusView::setRange(std::uint16_t low, std::uint16_t high) {
  if (!checkExists()) return;
  bar_.setRange(low, high);
  TranscriptEvent event;
  event.kind = EventKind::StatusWindow;
  event.name = "range";
  event.low = low;
  event.high = high;
  transcript_.add(std::move(event));
}

void RecordingStatusView::setStep(int step) {
  if (!checkExists()) return;
  bar_.step = step;
  TranscriptEvent event;
  event.kind = EventKind::StatusWindow;
  event.name = "step";
  event.step = step;
  transcript_.add(std::move(event));
}

void RecordingStatusView::stepIt() {
  if (!checkExists()) return;
  bar_.stepIt();
  TranscriptEvent event;
  event.kind = EventKind::StatusWindow;
  event.name = "stepIt";
  event.position = bar_.position;
  transcript_.add(std::move(event));
}

void RecordingStatusView::showText(std::string_view text) {
  if (!checkExists()) return;
  text_ = text;
  TranscriptEvent event;
  event.kind = EventKind::StatusWindow;
  event.name = "text";
  event.text = text;
  transcript_.add(std::move(event));
}

void RecordingStatusView::showLabel(std::string_view text) {
  if (!checkExists()) return;
  label_ = text;
  TranscriptEvent event;
  event.kind = EventKind::StatusWindow;
  event.name = "label";
  event.text = text;
  transcript_.add(std::move(event));
}

}  // namespace updater
