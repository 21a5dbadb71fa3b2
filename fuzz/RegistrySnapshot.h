// What the harnesses see of the registry, read through the system's own calls.
#pragma once

#include <map>
#include <string>

#include "BrowserRegistry.h"
#include "Win32.h"

// The browser's keys, as the system's calls take them: below the root.
inline constexpr const char* kExtensionsPath =
    browserreg::BelowRoot(browserreg::kExtensionsKey);  // machine hive
inline constexpr const char* kCommandBarPath =
    browserreg::BelowRoot(browserreg::kCommandBarKey);  // user hive

struct StoredValue {
  bool exists = false;
  DWORD type = REG_NONE;
  std::string bytes;
  bool operator==(const StoredValue& o) const {
    return exists == o.exists && type == o.type && bytes == o.bytes;
  }
};

/// The value `name` of the key at `path`, read with read rights.
StoredValue ReadValue(HKEY root, const std::string& path, const std::string& name);
bool KeyExists(HKEY root, const std::string& path);
/// Creates the key at `path` (and its parents) and stores the value.
void StoreValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                const std::string& bytes);
void CreateKey(HKEY root, const std::string& path);

/// Every key under `root` by its path as listed ("A\B"), with its number of
/// values and the values of the names the program knows.
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeSnapshot(HKEY root);
