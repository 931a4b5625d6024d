#include "platform/sim/recording_main_view.h"

namespace updater {

void RecordingMainView::messageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  TranscriptEvent event;
  event.kind = EventKind::MessageBox;
  event.text = text;
  event.caption = caption;
  event.icon = icon;
  transcript_.add(std::move(event));
}

void RecordingMainView::setControlText(int controlId, std::string_view text) {
  TranscriptEvent event;
  event.kind = EventKind::Control;
  event.id = controlId;
  event.text = text;
  transcript_.add(std::move(event));
  controlTexts_[controlId] = text;
}

std::string RecordingMainView::controlText(int controlId) const {
  auto found = controlTexts_.find(controlId);
  return found == controlTexts_.end() ? std::string() : found->second;
}

}  // namespace updater
