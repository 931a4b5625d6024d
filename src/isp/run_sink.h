#pragma once

// Where a run reports to the operator: the running log (StatusLog, shown in
// the report area afterwards), message boxes over the main window, and the
// status window. One sink serves every layer below the application, so none
// of them needs the application's state to say something.

#include <string>
#include <string_view>
#include <vector>

#include "platform/main_view.h"
#include "platform/status_view.h"

namespace updater {

class RunSink {
 public:
  /// `boxCaption` captions the boxes that name no caption of their own; it
  /// must outlive the sink.
  RunSink(std::string& statusLog, MainView& mainView, StatusView& statusView, std::string_view boxCaption)
      : statusLog_(statusLog), mainView_(mainView), statusView_(statusView), boxCaption_(boxCaption) {}

  std::string& statusLog() { return statusLog_; }
  /// Appends "\n" + `line` to StatusLog.
  void appendLine(std::string_view line) {
    statusLog_ += '\n';
    statusLog_ += line;
  }

  /// A box with the program's caption; while boxes are held it waits,
  /// in order, for showHeldBoxes.
  void box(std::string_view text, MessageIcon icon) {
    if (holdingBoxes_) {
      heldBoxes_.push_back({std::string(text), icon});
    } else {
      mainView_.messageBox(text, boxCaption_, icon);
    }
  }
  void stopBox(std::string_view text) { box(text, MessageIcon::Stop); }

  /// A run that holds something another station waits for (the serial
  /// counter's lock) holds its boxes too: a box waits for the operator,
  /// who may be away for minutes, and the run lets go first.
  void holdBoxes() { holdingBoxes_ = true; }
  /// Shows the held boxes in the order they came, and holds no more.
  void showHeldBoxes() {
    holdingBoxes_ = false;
    for (const HeldBox& held : heldBoxes_) mainView_.messageBox(held.text, boxCaption_, held.icon);
    heldBoxes_.clear();
  }

  /// A run's failure as the operator sees it: a stop box with `boxText`,
  /// then `logText` appended to StatusLog, which is the failure the run's
  /// history record names.
  void fail(std::string_view boxText, std::string_view logText) {
    stopBox(boxText);
    appendLine(logText);
    noteFailure(logText);
  }

  /// The text of the failure that ends (or turns) the run, as StatusLog took
  /// it, or as the box showed it where StatusLog took none; the run's
  /// history record names it. Empty while nothing failed.
  void noteFailure(std::string_view text) { failureText_ = text; }
  const std::string& failureText() const { return failureText_; }

  StatusView& statusView() { return statusView_; }

 private:
  std::string& statusLog_;
  MainView& mainView_;
  StatusView& statusView_;
  std::string_view boxCaption_;
  std::string failureText_;

  struct HeldBox {
    std::string text;
    MessageIcon icon;
  };
  bool holdingBoxes_ = false;
  std::vector<HeldBox> heldBoxes_;
};

}  // namespace updater
