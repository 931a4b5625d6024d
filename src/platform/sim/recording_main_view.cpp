#include "platform/sim/recording_main_view.h"

#include <algorithm>

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

namespace {

// The recording list sorts by byte value, which puts "1" to "9" before ":"
// as the device list needs them.
bool byteOrderLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

}  // namespace

void RecordingMainView::recordList(int listId) {
  const List& current = lists_[listId];
  TranscriptEvent event;
  event.kind = EventKind::List;
  event.id = listId;
  event.items = current.items;
  event.selected = current.selected;
  transcript_.add(std::move(event));
}

void RecordingMainView::resetList(int listId) {
  lists_[listId] = List{};
  recordList(listId);
}

void RecordingMainView::addListItem(int listId, std::string_view text) {
  auto& items = lists_[listId].items;
  std::string item(text);
  items.insert(std::upper_bound(items.begin(), items.end(), item, byteOrderLess), std::move(item));
  recordList(listId);
}

void RecordingMainView::selectListItem(int listId, int index) {
  List& current = lists_[listId];
  current.selected = index >= 0 && static_cast<std::size_t>(index) < current.items.size() ? index : -1;
  recordList(listId);
}

std::string RecordingMainView::selectedListText(int listId, std::size_t maxChars) {
  const List& current = lists_[listId];
  if (current.selected < 0) return {};
  return current.items[static_cast<std::size_t>(current.selected)].substr(0, maxChars);
}

bool RecordingMainView::chooseListItem(int listId, std::string_view text) {
  const auto& items = lists_[listId].items;
  const auto found = std::find(items.begin(), items.end(), text);
  if (found == items.end()) return false;
  selectListItem(listId, static_cast<int>(found - items.begin()));
  return true;
}

}  // namespace updater
