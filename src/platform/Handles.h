// Owners for the system handles the program holds. The types are
// opaque here so that callers above the platform layer need no system header.
#pragma once

#include <cstdint>

#include "ScopedHandle.h"

struct RegistryKeyTraits {
  using Type = void*;  // HKEY
  static constexpr Type invalid() { return nullptr; }
  static void close(Type key);  // RegCloseKey; its result is of no use to us
};

using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;

struct FileHandleTraits {
  using Type = void*;  // HANDLE
  // INVALID_HANDLE_VALUE: a failed CreateFileA answers this, never a null handle.
  static Type invalid() { return reinterpret_cast<Type>(static_cast<std::intptr_t>(-1)); }
  static void close(Type file);  // CloseHandle; nothing to do if it fails
};

using ScopedFileHandle = ScopedHandle<FileHandleTraits>;

struct LibraryModuleTraits {
  using Type = void*;  // HMODULE
  static constexpr Type invalid() { return nullptr; }
  static void close(Type module);  // FreeLibrary; nothing to do if it fails
};

using ScopedLibraryModule = ScopedHandle<LibraryModuleTraits>;

// A kernel object whose opening call answers null on failure (a process
// token), unlike a file.
struct KernelObjectTraits {
  using Type = void*;  // HANDLE
  static constexpr Type invalid() { return nullptr; }
  static void close(Type object);  // CloseHandle; nothing to do if it fails
};

using ScopedKernelObject = ScopedHandle<KernelObjectTraits>;
