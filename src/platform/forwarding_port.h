#pragma once

// A port that hands every call to another one: the base of decorators that
// watch or change a few calls and leave the rest to the port they wrap (the
// recording port of updater.exe /record; in tests, what a request carried or
// a failure at one moment, over the simulated machine).

#include "platform/port.h"

namespace updater {

class ForwardingPort : public Port {
 public:
  explicit ForwardingPort(Port& inner) : inner_(inner) {}

  std::uint32_t versionWord() override { return inner_.versionWord(); }
  HostSystem hostSystem() override { return inner_.hostSystem(); }
  void sleep(std::uint32_t milliseconds) override { inner_.sleep(milliseconds); }
  LocalDateTime localDateTime() override { return inner_.localDateTime(); }
  void consoleLine(std::string_view line) override { inner_.consoleLine(line); }
  std::uint32_t logicalDrives() override { return inner_.logicalDrives(); }
  std::string driveName(char letter) override { return inner_.driveName(letter); }
  HandleValue createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                         std::uint32_t disposition, std::uint32_t flags) override {
    return inner_.createFile(name, access, shareMode, disposition, flags);
  }
  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override {
    return inner_.deviceIoControl(handle, controlCode, input, output);
  }
  bool closeHandle(HandleValue handle) override { return inner_.closeHandle(handle); }
  DataAddress dataAddress(Bytes buffer) override { return inner_.dataAddress(buffer); }
  RegistryKeyValue openRegistryKey(std::string_view subKey, std::uint32_t access) override {
    return inner_.openRegistryKey(subKey, access);
  }
  RegistryValueResult queryRegistryValue(RegistryKeyValue key, std::string_view valueName, Bytes buffer) override {
    return inner_.queryRegistryValue(key, valueName, buffer);
  }
  bool closeRegistryKey(RegistryKeyValue key) override { return inner_.closeRegistryKey(key); }
  ModuleValue loadLibrary(std::string_view name) override { return inner_.loadLibrary(name); }
  EntryPointValue procAddress(ModuleValue module, std::string_view name) override {
    return inner_.procAddress(module, name);
  }
  bool freeLibrary(ModuleValue module) override { return inner_.freeLibrary(module); }
  std::uint32_t getAspi32SupportInfo(EntryPointValue entry) override { return inner_.getAspi32SupportInfo(entry); }
  std::uint32_t sendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting) override {
    return inner_.sendAspi32Command(entry, requestBlock, posting);
  }
  FileLockResult lockFile(const std::filesystem::path& path) override { return inner_.lockFile(path); }
  bool unlockFile(FileLockValue lock) override { return inner_.unlockFile(lock); }
  NewFileResult createNewFile(const std::filesystem::path& path) override { return inner_.createNewFile(path); }
  AppendFileResult openFileForAppend(const std::filesystem::path& path) override {
    return inner_.openFileForAppend(path);
  }
  FileWriteResult writeFile(NewFileValue file, std::string_view data) override {
    return inner_.writeFile(file, data);
  }
  bool flushFile(NewFileValue file) override { return inner_.flushFile(file); }
  bool closeFile(NewFileValue file) override { return inner_.closeFile(file); }
  bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
    return inner_.renameFile(from, to);
  }
  bool removeFile(const std::filesystem::path& path) override { return inner_.removeFile(path); }
  bool isReadOnlyFile(const std::filesystem::path& path) override { return inner_.isReadOnlyFile(path); }

 protected:
  /// The port every call goes on to.
  Port& inner() { return inner_; }

 private:
  Port& inner_;
};

}  // namespace updater
