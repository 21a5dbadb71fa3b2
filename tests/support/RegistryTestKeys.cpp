#include "RegistryTestKeys.h"

namespace testreg {

const char kTestKey[] = "Software\\VorlindeTest";
const char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
const char kCommandBarKey[] = "Software\\Microsoft\\Internet Explorer\\LowRegistry\\CommandBar";

namespace {

class Key {
 public:
  Key(HKEY root, const std::string& path, bool create) {
    const LONG status =
        create ? RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &key_, nullptr)
               : RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key_);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

void DeleteTree(HKEY root, const std::string& path) { RegDeleteTreeA(root, path.c_str()); }

void CreateKey(HKEY root, const std::string& path) {
  Key key(root, path, true);
  ASSERT_NE(key.get(), nullptr) << path;
}

bool KeyExists(HKEY root, const std::string& path) { return Key(root, path, false).get(); }

void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes) {
  Key key(root, path, true);
  ASSERT_NE(key.get(), nullptr) << path;
  ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type,
                           reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

StoredValue GetValue(HKEY root, const std::string& path, const std::string& name) {
  StoredValue value;
  Key key(root, path, false);
  DWORD size = 0;
  if (!key.get() || RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr,
                                     &size) != ERROR_SUCCESS) {
    return value;
  }
  value.bytes.resize(size);
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type,
                       reinterpret_cast<BYTE*>(&value.bytes[0]), &size) != ERROR_SUCCESS) {
    return value;
  }
  value.bytes.resize(size);
  value.exists = true;
  return value;
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path) {
  std::vector<std::string> names;
  Key key(root, path, false);
  if (!key.get()) return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  return names;
}

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

}  // namespace testreg

namespace {

void DeleteTestKeys() {
  using namespace testreg;
  DeleteTree(HKEY_CURRENT_USER, kTestKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kTestKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kExtensionsKey);
  DeleteTree(HKEY_CURRENT_USER, kCommandBarKey);
}

}  // namespace

void RegistryTest::SetUp() { DeleteTestKeys(); }
void RegistryTest::TearDown() { DeleteTestKeys(); }
