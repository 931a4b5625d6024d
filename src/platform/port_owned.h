#pragma once

// Move-only owners of what the port hands out: a handle, a registry key, a
// loaded module, a file lock, a file open for writing. Each gives its value
// back to the port when it is destroyed or reset, so an early return cannot
// leak one. A program-wide owner that is "null" simply holds nothing.

#include <utility>

#include "platform/port.h"

namespace updater {

template <typename Traits>
class PortOwned {
 public:
  using Value = typename Traits::Value;

  PortOwned() = default;
  /// Takes `value` over; an empty value (a failed open) is held as nothing.
  PortOwned(Port& port, Value value) : port_(&port), value_(Traits::isOpen(value) ? value : Traits::kEmpty) {}
  ~PortOwned() { reset(); }

  PortOwned(const PortOwned&) = delete;
  PortOwned& operator=(const PortOwned&) = delete;
  PortOwned(PortOwned&& other) noexcept : port_(other.port_), value_(other.release()) {}
  PortOwned& operator=(PortOwned&& other) noexcept {
    if (this != &other) {
      reset();
      port_ = other.port_;
      value_ = other.release();
    }
    return *this;
  }

  bool isOpen() const { return Traits::isOpen(value_); }
  Value get() const { return value_; }

  /// Gives the value up without closing it.
  Value release() { return std::exchange(value_, Traits::kEmpty); }

  /// Closes what is held, if anything, and then holds nothing.
  void reset() {
    const Value value = release();
    if (Traits::isOpen(value) && port_ != nullptr) Traits::close(*port_, value);
  }

 private:
  Port* port_ = nullptr;
  Value value_ = Traits::kEmpty;
};

struct HandleTraits {
  using Value = HandleValue;
  static constexpr Value kEmpty = HandleValue::Null;
  static bool isOpen(Value value) { return value != HandleValue::Null && value != HandleValue::Invalid; }
  static void close(Port& port, Value value) { port.closeHandle(value); }
};

struct RegistryKeyTraits {
  using Value = RegistryKeyValue;
  static constexpr Value kEmpty = RegistryKeyValue::None;
  static bool isOpen(Value value) { return value != RegistryKeyValue::None; }
  static void close(Port& port, Value value) { port.closeRegistryKey(value); }
};

struct ModuleTraits {
  using Value = ModuleValue;
  static constexpr Value kEmpty = ModuleValue::None;
  static bool isOpen(Value value) { return value != ModuleValue::None; }
  static void close(Port& port, Value value) { port.freeLibrary(value); }
};

struct FileLockTraits {
  using Value = FileLockValue;
  static constexpr Value kEmpty = FileLockValue::None;
  static bool isOpen(Value value) { return value != FileLockValue::None; }
  static void close(Port& port, Value value) { port.unlockFile(value); }
};

struct NewFileTraits {
  using Value = NewFileValue;
  static constexpr Value kEmpty = NewFileValue::None;
  static bool isOpen(Value value) { return value != NewFileValue::None; }
  static void close(Port& port, Value value) { port.closeFile(value); }
};

/// A handle from createFile, closed with closeHandle.
using UniqueHandle = PortOwned<HandleTraits>;
/// A key from openRegistryKey, closed with closeRegistryKey.
using UniqueRegistryKey = PortOwned<RegistryKeyTraits>;
/// A module from loadLibrary, unloaded with freeLibrary.
using UniqueModule = PortOwned<ModuleTraits>;
/// A lock from lockFile, released with unlockFile.
using UniqueFileLock = PortOwned<FileLockTraits>;
/// A file from createNewFile or openFileForAppend, closed with closeFile. A caller that must know
/// whether the close succeeded takes the file back with release() first.
using UniqueNewFile = PortOwned<NewFileTraits>;

/// Opens `name` and wraps the result; the owner holds nothing when the open
/// failed.
inline UniqueHandle openOwned(Port& port, std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                              std::uint32_t disposition, std::uint32_t flags) {
  return UniqueHandle(port, port.createFile(name, access, shareMode, disposition, flags));
}

}  // namespace updater
