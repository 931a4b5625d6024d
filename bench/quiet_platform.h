#pragma once

// A platform that keeps nothing: a virtual clock and views that only count,
// so that a benchmark measures the program and not the recording. File
// locks and the files the program writes are the host's own, a cost every
// real run pays.

#include "platform/host_file_port.h"
#include "platform/main_view.h"
#include "platform/status_view.h"

namespace updater {

class QuietPort : public HostFilePort {
 public:
  std::uint32_t versionWord() override { return 0x0105; }
  HostSystem hostSystem() override { return {}; }
  void sleep(std::uint32_t milliseconds) override { virtualMs += milliseconds; }
  LocalDateTime localDateTime() override { return {{2007, 12, 25}, 9, 30, 0}; }
  void consoleLine(std::string_view) override {}
  std::uint64_t virtualMs = 0;

  // The benchmarks drive the sequences over a channel of their own; no
  // device, registry or module exists here.
  std::uint32_t logicalDrives() override { return 0; }
  std::string driveName(char letter) override { return {letter, ':'}; }
  HandleValue createFile(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) override {
    return HandleValue::Invalid;
  }
  DeviceIoResult deviceIoControl(HandleValue, std::uint32_t, ConstBytes, Bytes) override { return {}; }
  bool closeHandle(HandleValue) override { return false; }
  DataAddress dataAddress(Bytes) override { return 0; }
  RegistryKeyValue openRegistryKey(std::string_view, std::uint32_t) override { return RegistryKeyValue::None; }
  RegistryValueResult queryRegistryValue(RegistryKeyValue, std::string_view, Bytes) override { return {}; }
  bool closeRegistryKey(RegistryKeyValue) override { return false; }
  ModuleValue loadLibrary(std::string_view) override { return ModuleValue::None; }
  EntryPointValue procAddress(ModuleValue, std::string_view) override { return EntryPointValue::None; }
  bool freeLibrary(ModuleValue) override { return false; }
  std::uint32_t getAspi32SupportInfo(EntryPointValue) override { return 0; }
  std::uint32_t sendAspi32Command(EntryPointValue, Bytes, AspiPostingRoutine&) override { return 0; }
};

class QuietMainView : public MainView {
 public:
  void messageBox(std::string_view, std::string_view, MessageIcon) override { ++boxes; }
  void setControlText(int, std::string_view) override { ++controlTexts; }
  void resetList(int) override {}
  void addListItem(int, std::string_view) override {}
  void selectListItem(int, int) override {}
  std::string selectedListText(int, std::size_t) override { return {}; }
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
