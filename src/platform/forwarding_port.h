#pragma once

// A port that hands every call to another one: the base of decorators that
// watch or change a few calls and leave the rest to the port they wrap (the
// recording port of updater.exe /record, one reader's share of a port that
// several readers' runs use at once; in tests, what a request carried or a
// failure at one moment, over the simulated machine). Each call is made while the hold that
// `hold` gives is kept: none, unless a decorator needs the calls of several
// threads taken one at a time.

#include <mutex>

#include "platform/port.h"

namespace updater {

class ForwardingPort : public Port {
 public:
  explicit ForwardingPort(Port& inner) : inner_(inner) {}

  std::uint32_t versionWord() override {
    const Hold held = hold();
    return inner_.versionWord();
  }
  HostSystem hostSystem() override {
    const Hold held = hold();
    return inner_.hostSystem();
  }
  void sleep(std::uint32_t milliseconds) override {
    const Hold held = hold();
    inner_.sleep(milliseconds);
  }
  LocalDateTime localDateTime() override {
    const Hold held = hold();
    return inner_.localDateTime();
  }
  void consoleLine(std::string_view line) override {
    const Hold held = hold();
    inner_.consoleLine(line);
  }
  std::uint32_t logicalDrives() override {
    const Hold held = hold();
    return inner_.logicalDrives();
  }
  std::string driveName(char letter) override {
    const Hold held = hold();
    return inner_.driveName(letter);
  }
  HandleValue createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                         std::uint32_t disposition, std::uint32_t flags) override {
    const Hold held = hold();
    return inner_.createFile(name, access, shareMode, disposition, flags);
  }
  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override {
    const Hold held = hold();
    return inner_.deviceIoControl(handle, controlCode, input, output);
  }
  bool closeHandle(HandleValue handle) override {
    const Hold held = hold();
    return inner_.closeHandle(handle);
  }
  DataAddress dataAddress(Bytes buffer) override {
    const Hold held = hold();
    return inner_.dataAddress(buffer);
  }
  RegistryKeyValue openRegistryKey(std::string_view subKey, std::uint32_t access) override {
    const Hold held = hold();
    return inner_.openRegistryKey(subKey, access);
  }
  RegistryValueResult queryRegistryValue(RegistryKeyValue key, std::string_view valueName, Bytes buffer) override {
    const Hold held = hold();
    return inner_.queryRegistryValue(key, valueName, buffer);
  }
  bool closeRegistryKey(RegistryKeyValue key) override {
    const Hold held = hold();
    return inner_.closeRegistryKey(key);
  }
  ModuleValue loadLibrary(std::string_view name) override {
    const Hold held = hold();
    return inner_.loadLibrary(name);
  }
  EntryPointValue procAddress(ModuleValue module, std::string_view name) override {
    const Hold held = hold();
    return inner_.procAddress(module, name);
  }
  bool freeLibrary(ModuleValue module) override {
    const Hold held = hold();
    return inner_.freeLibrary(module);
  }
  std::uint32_t getAspi32SupportInfo(EntryPointValue entry) override {
    const Hold held = hold();
    return inner_.getAspi32SupportInfo(entry);
  }
  std::uint32_t sendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting) override {
    const Hold held = hold();
    return inner_.sendAspi32Command(entry, requestBlock, posting);
  }
  FileLockResult lockFile(const std::filesystem::path& path) override {
    const Hold held = hold();
    return inner_.lockFile(path);
  }
  bool unlockFile(FileLockValue lock) override {
    const Hold held = hold();
    return inner_.unlockFile(lock);
  }
  NewFileResult createNewFile(const std::filesystem::path& path) override {
    const Hold held = hold();
    return inner_.createNewFile(path);
  }
  AppendFileResult openFileForAppend(const std::filesystem::path& path) override {
    const Hold held = hold();
    return inner_.openFileForAppend(path);
  }
  FileWriteResult writeFile(NewFileValue file, std::string_view data) override {
    const Hold held = hold();
    return inner_.writeFile(file, data);
  }
  bool flushFile(NewFileValue file) override {
    const Hold held = hold();
    return inner_.flushFile(file);
  }
  bool closeFile(NewFileValue file) override {
    const Hold held = hold();
    return inner_.closeFile(file);
  }
  bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
    const Hold held = hold();
    return inner_.renameFile(from, to);
  }
  bool removeFile(const std::filesystem::path& path) override {
    const Hold held = hold();
    return inner_.removeFile(path);
  }
  bool isReadOnlyFile(const std::filesystem::path& path) override {
    const Hold held = hold();
    return inner_.isReadOnlyFile(path);
  }

 protected:
  using Hold = std::unique_lock<std::mutex>;
  /// What each call keeps while the wrapped port runs it.
  virtual Hold hold() { return {}; }
  Port& inner() { return inner_; }

 private:
  Port& inner_;
};

}  // namespace updater
