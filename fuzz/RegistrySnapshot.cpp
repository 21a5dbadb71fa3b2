#include "RegistrySnapshot.h"

#include <vector>

#include "Handles.h"

namespace {

HKEY Raw(const ScopedRegistryKey& key) { return static_cast<HKEY>(key.get()); }

ScopedRegistryKey OpenForReading(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
  return ScopedRegistryKey(key);
}

StoredValue ReadOpenValue(HKEY key, const std::string& name) {
  StoredValue value;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size) != 0) {
    return value;
  }
  value.exists = true;
  value.bytes.resize(size);
  if (size > 0) {
    RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                     reinterpret_cast<BYTE*>(&value.bytes[0]), &size);
  }
  return value;
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[4096];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
    names.emplace_back(name, size);
  }
  return names;
}

std::string Describe(HKEY key) {
  // Subkeys are not counted here: each is an entry of its own.
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  std::string text = std::to_string(values) + " values";
  for (const char* name :
       {"", "ButtonText", "Default Visible", "Exec", "Icon", "HotIcon", "clsid", "ButtonLayout"}) {
    const StoredValue value = ReadOpenValue(key, name);
    if (!value.exists) continue;
    text += std::string("; ") + name + " " + std::to_string(value.type) + ":" + value.bytes;
  }
  return text;
}

void Collect(HKEY root, const std::string& path, Snapshot& snapshot) {
  const ScopedRegistryKey key = OpenForReading(root, path);
  if (!key.valid()) {
    snapshot[path] = "unreadable";
    return;
  }
  snapshot[path] = Describe(Raw(key));
  for (const std::string& name : SubkeyNames(Raw(key))) {
    Collect(root, path.empty() ? name : path + "\\" + name, snapshot);
  }
}

}  // namespace

StoredValue ReadValue(HKEY root, const std::string& path, const std::string& name) {
  const ScopedRegistryKey key = OpenForReading(root, path);
  return key.valid() ? ReadOpenValue(Raw(key), name) : StoredValue();
}

bool KeyExists(HKEY root, const std::string& path) { return OpenForReading(root, path).valid(); }

void CreateKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const ScopedRegistryKey owner(key);
}

void StoreValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                const std::string& bytes) {
  HKEY key = nullptr;
  RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const ScopedRegistryKey owner(key);
  RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
}

Snapshot TakeSnapshot(HKEY root) {
  Snapshot snapshot;
  Collect(root, "", snapshot);
  return snapshot;
}
