#pragma once

// A main window that keeps what it would have shown: every message box and
// every control text goes to the transcript, boxes are answered with OK at
// once, and the last text of each control stays readable.

#include <map>
#include <string>
#include <vector>

#include "platform/main_view.h"
#include "platform/sim/transcript.h"

namespace updater {

class RecordingMainView : public MainView {
 public:
  explicit RecordingMainView(Transcript& transcript) : transcript_(transcript) {}

  void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void setControlText(int controlId, std::string_view text) override;

  void resetList(int listId) override;
  void addListItem(int listId, std::string_view text) override;
  void selectListItem(int listId, int index) override;
  std::string selectedListText(int listId, std::size_t maxChars) override;

  /// The text the control shows now: the last one set, empty if none was.
  std::string controlText(int controlId) const;

  /// A list as it stands: its items in list order and the selected
  /// position, -1 for none.
  struct List {
    std::vector<std::string> items;
    int selected = -1;
  };
  const List& list(int listId) { return lists_[listId]; }

  /// The operator picks the item whose text is `text`, as a click in the
  /// open list does; false when the list holds no such item.
  bool chooseListItem(int listId, std::string_view text);

 private:
  void recordList(int listId);

  Transcript& transcript_;
  std::map<int, std::string> controlTexts_;
  std::map<int, List> lists_;
};

}  // namespace updater
