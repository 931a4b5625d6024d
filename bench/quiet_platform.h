#pragma once

// A platform that keeps nothing: a virtual clock and views that only count,
// so that a benchmark measures the program and not the recording.

#include "platform/main_view.h"
#include "platform/port.h"
#include "platform/status_view.h"

namespace updater {

class QuietPort : public Port {
 public:
  std::uint32_t versionWord() override { return 0x0105; }
  void sleep(std::uint32_t milliseconds) override { virtualMs += milliseconds; }
  LocalDate localDate() override { return {2007, 12, 25}; }
  void consoleLine(std::string_view) override {}
  std::uint64_t virtualMs = 0;
};

class QuietMainView : public MainView {
 public:
  void messageBox(std::string_view, std::string_view, MessageIcon) override { ++boxes; }
  void setControlText(int, std::string_view) override { ++controlTexts; }
  int boxes = 0;
  int controlTexts = 0;
};

class QuietStatusView : public StatusView {
 public:
  void create() override {}
  void destroy() override {}
  void show() override {}
  void hide() override {}
  void setRange(std::uint16_t, std::uint16_t) override {}
  void setStep(int) override {}
  void stepIt() override {}
  void showText(std::string_view) override {}
  void showLabel(std::string_view) override {}
};

}  // namespace updater
