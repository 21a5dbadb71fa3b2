// Owners for the system handles the program holds. The types are
// opaque here so that callers above the platform layer need no system header.
#pragma once

#include "ScopedHandle.h"

struct RegistryKeyTraits {
  using Type = void*;  // HKEY
  static constexpr Type invalid() { return nullptr; }
  static void close(Type key);  // RegCloseKey; its result is of no use to us
};

using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;
