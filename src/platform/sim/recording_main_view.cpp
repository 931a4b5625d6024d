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

}  // namespace updater
