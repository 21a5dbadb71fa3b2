#include "RegistryTestKeys.h"

#include "AgentRegistration.h"
#include "Deployment.h"
#include "Handles.h"
#include "RegistryViewFlags.h"

namespace testreg {

const char kTestKey[] = "Software\\VorlindeTest";
const REGSAM kProgramView = ViewFlags(RegistryView::Own);

namespace {

HKEY Raw(const ScopedRegistryKey& key) { return static_cast<HKEY>(key.get()); }

// The key at `path`, opened for reading or created; invalid when neither works.
ScopedRegistryKey OpenKey(HKEY root, const std::string& path, bool create,
                          REGSAM view = kProgramView) {
  HKEY key = nullptr;
  const LONG status = create ? RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS | view, nullptr, &key, nullptr)
                             : RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key);
  return ScopedRegistryKey(status == ERROR_SUCCESS ? key : nullptr);
}

}  // namespace

// RegDeleteTree names no view: the key is opened in the programs' view, what
// is below it deleted through that handle, then the key itself.
void DeleteTree(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | kProgramView, &key) != ERROR_SUCCESS) {
    return;
  }
  const ScopedRegistryKey owned(key);
  RegDeleteTreeA(key, nullptr);
  RegDeleteKeyExA(root, path.c_str(), kProgramView, 0);
}

void CreateLink(HKEY root, const std::string& path, const std::string& target) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                            KEY_ALL_ACCESS | KEY_CREATE_LINK | kProgramView, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS)
      << path;
  const ScopedRegistryKey link(key);
  std::string utf16;  // the target is plain ASCII; the system keeps it without a zero
  for (const char c : target) utf16 += std::string{c, '\0'};
  ASSERT_EQ(
      RegSetValueExA(key, "SymbolicLinkValue", 0, REG_LINK,
                     reinterpret_cast<const BYTE*>(utf16.data()), static_cast<DWORD>(utf16.size())),
      ERROR_SUCCESS);
}

void CreateKey(HKEY root, const std::string& path) {
  const ScopedRegistryKey key = OpenKey(root, path, true);
  ASSERT_TRUE(key.valid()) << path;
}

bool KeyExists(HKEY root, const std::string& path) { return OpenKey(root, path, false).valid(); }

void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes, REGSAM view) {
  const ScopedRegistryKey key = OpenKey(root, path, true, view);
  ASSERT_TRUE(key.valid()) << path;
  ASSERT_EQ(
      RegSetValueExA(Raw(key), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size())),
      ERROR_SUCCESS);
}

StoredValue GetValue(HKEY root, const std::string& path, const std::string& name,
                     REGSAM view) {
  StoredValue value;
  const ScopedRegistryKey key = OpenKey(root, path, false, view);
  DWORD size = 0;
  if (!key.valid() || RegQueryValueExA(Raw(key), name.c_str(), nullptr, &value.type, nullptr,
                                       &size) != ERROR_SUCCESS) {
    return value;
  }
  value.bytes.resize(size);
  if (RegQueryValueExA(Raw(key), name.c_str(), nullptr, &value.type,
                       reinterpret_cast<BYTE*>(&value.bytes[0]), &size) != ERROR_SUCCESS) {
    return value;
  }
  value.bytes.resize(size);
  value.exists = true;
  return value;
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path) {
  std::vector<std::string> names;
  const ScopedRegistryKey key = OpenKey(root, path, false);
  if (!key.valid()) return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(Raw(key), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  return names;
}

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

std::vector<WCHAR> Wide(const std::string& utf8) {
  std::vector<WCHAR> wide(utf8.size() + 1, 0);  // never more units than bytes
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

void SetUnicodeText(HKEY root, const std::string& path, const std::string& name,
                    const std::string& text) {
  SetUnicodeText(root, Wide(path), name, text);
}

void SetUnicodeText(HKEY root, const std::vector<WCHAR>& path, const std::string& name,
                    const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(root, path.data(), 0, nullptr, 0, KEY_ALL_ACCESS | kProgramView, nullptr,
                      &key, nullptr),
      ERROR_SUCCESS);
  const ScopedRegistryKey owner(key);
  const std::vector<WCHAR> data = Wide(text);
  const auto size = static_cast<DWORD>((std::char_traits<WCHAR>::length(data.data()) + 1) * 2);
  ASSERT_EQ(RegSetValueExW(key, Wide(name).data(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.data()), size),
            ERROR_SUCCESS);
}

std::string UnicodeText(HKEY root, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, Wide(path).data(), 0, KEY_READ | kProgramView, &key) != ERROR_SUCCESS) {
    return "";
  }
  const ScopedRegistryKey owner(key);
  std::vector<WCHAR> data(1024, 0);
  DWORD size = static_cast<DWORD>((data.size() - 1) * 2);
  if (RegQueryValueExW(key, Wide(name).data(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return "";
  }
  std::string utf8(4 * data.size(), '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, data.data(), -1, &utf8[0],
                                         static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
  return utf8;
}

}  // namespace testreg

namespace {

void DeleteTestKeys() {
  using namespace testreg;
  DeleteTree(HKEY_CURRENT_USER, kTestKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kTestKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kExtensionsKey);
  DeleteTree(HKEY_CURRENT_USER, kCommandBarKey);
  // Copies a redirected install run left, which the inspector reports.
  const std::string virtualStore = browserreg::BelowRoot(browserreg::kVirtualStoreKey);
  DeleteTree(HKEY_CURRENT_USER, virtualStore + browserreg::kExtensionsKey);
  DeleteTree(HKEY_CURRENT_USER, virtualStore + browserreg::InWow64Node(browserreg::kExtensionsKey));
  // What an install or a removal keeps beyond the browser's keys, which the
  // report names: the removal's records, the Active Setup components and
  // each user's notes of them.
  using namespace deployment;
  const auto parent = [](const char* key) {
    const std::string path = browserreg::BelowRoot(key);
    return path.substr(0, path.rfind('\\'));
  };
  const std::string own = PlacementComponent();  // named by the key deleted next
  DeleteTree(HKEY_LOCAL_MACHINE, parent(kRemovalKey));
  DeleteTree(HKEY_LOCAL_MACHINE, browserreg::BelowRoot(kStampMarkKey));
  DeleteTree(HKEY_CURRENT_USER, parent(kUserNoteKey));
  DeleteTree(HKEY_CURRENT_USER, parent(kLegacyUserNoteKey));
  for (const std::string& component : {own, std::string(kLegacyPlacementComponent),
                                      std::string(kLegacyFixUpComponent)}) {
    if (component.empty()) continue;
    DeleteTree(HKEY_LOCAL_MACHINE, browserreg::BelowRoot(kActiveSetupKey) + ("\\" + component));
    DeleteTree(HKEY_CURRENT_USER, browserreg::BelowRoot(kUserActiveSetupKey) + ("\\" + component));
  }
}

}  // namespace

void RegistryTest::SetUp() { DeleteTestKeys(); }
void RegistryTest::TearDown() { DeleteTestKeys(); }
