#pragma once

// The port's values for handles, registry keys, modules and entry points are
// the Win32 ones as unsigned integers of pointer width; these convert them
// both ways. HandleValue::Invalid is all ones, what INVALID_HANDLE_VALUE
// ((HANDLE)-1) becomes, and the Null/None values are the null pointers, so
// every value keeps its meaning across the conversion.

#include <windows.h>

#include <cstdint>

#include "platform/port.h"

namespace updater::win32 {

inline HANDLE toHandle(HandleValue value) { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value)); }
inline HandleValue fromHandle(HANDLE handle) { return static_cast<HandleValue>(reinterpret_cast<std::uintptr_t>(handle)); }

inline HKEY toKey(RegistryKeyValue value) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(value)); }
inline RegistryKeyValue fromKey(HKEY key) { return static_cast<RegistryKeyValue>(reinterpret_cast<std::uintptr_t>(key)); }

inline HMODULE toModule(ModuleValue value) { return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(value)); }
inline ModuleValue fromModule(HMODULE module) {
  return static_cast<ModuleValue>(reinterpret_cast<std::uintptr_t>(module));
}

inline EntryPointValue fromEntryPoint(FARPROC entry) {
  return static_cast<EntryPointValue>(reinterpret_cast<std::uintptr_t>(entry));
}

/// An entry point as the function type it really has. Going through the
/// integer keeps the compiler from judging a cast between function types.
template <typename Function>
Function toFunction(EntryPointValue entry) {
  return reinterpret_cast<Function>(static_cast<std::uintptr_t>(entry));
}

/// The handles the port never passes on to the system: nothing is open.
inline bool isOpenHandle(HandleValue value) { return value != HandleValue::Null && value != HandleValue::Invalid; }

}  // namespace updater::win32
