#pragma once

// A status window that keeps what it would show (label, text, visibility and
// the bar) and writes each call to the transcript. A call while no window
// exists is a fault of the caller; it is counted in `misuses`.

#include <string>

#include "platform/sim/progress_bar.h"
#include "platform/sim/transcript.h"
#include "platform/status_view.h"

namespace updater {

class RecordingStatusView : public StatusView {
 public:
  explicit RecordingStatusView(Transcript& transcript) : transcript_(transcript) {}

  void create() override;
  void destroy() override;
  void show() override;
  void hide() override;
  void setRange(std::uint16_t low, std::uint16_t high) override;
  void setStep(int step) override;
  void stepIt() override;
  void showText(std::string_view text) override;
  void showLabel(std::string_view text) override;

  bool exists() const { return exists_; }
  bool visible() const { return visible_; }
  const std::string& label() const { return label_; }
  const std::string& text() const { return text_; }
  const ProgressBar& bar() const { return bar_; }
  int createdCount() const { return createdCount_; }
  int misuses() const { return misuses_; }

 private:
  void record(const char* op);
  bool checkExists();

  Transcript& transcript_;
  bool exists_ = false;
  bool visible_ = false;
  std::string label_;
  std::string text_;
  ProgressBar bar_;
  int createdCount_ = 0;
  int misuses_ = 0;
};

}  // namespace updater
