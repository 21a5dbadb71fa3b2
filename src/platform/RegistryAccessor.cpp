#include "RegistryAccessor.h"

#include "CodePage.h"
#include "Exceptions.h"
#include "Win32.h"

namespace {

const char kWriteFailed[] = "Fehler beim Setzen der Daten f\xFCr '%s'";
const char kReadFailed[] = "Fehler beim Holen der Daten f\xFCr '%s'";
const char kInvalidType[] = "Ung\xFCltiger Datentyp f\xFCr '%s'";

[[noreturn]] void Raise(const char* format, const std::string& valueName) {
  throw ERegistryException(FormatMessageText(format, {valueName}));
}

HKEY AsKey(void* key) { return static_cast<HKEY>(key); }

bool IsText(DWORD type) { return IsTextType(static_cast<RegistryValueType>(type)); }

// Binary, or a type the accessor does not know (REG_NONE, REG_MULTI_SZ, ...).
bool IsBinaryLike(DWORD type) { return !IsText(type) && type != REG_DWORD; }

struct ValueInfo {
  bool exists;
  DWORD type;
  DWORD size;
};

ValueInfo QueryValueInfo(void* key, const std::string& name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  const LONG status = RegQueryValueExA(AsKey(key), name.c_str(), nullptr, &type, nullptr, &size);
  return ValueInfo{status == ERROR_SUCCESS, type, size};
}

static_assert(static_cast<DWORD>(RegistryValueType::Text) == REG_SZ, "type codes");
static_assert(static_cast<DWORD>(RegistryValueType::Number) == REG_DWORD, "type codes");
static_assert(static_cast<DWORD>(RegistryValueType::TextList) == REG_MULTI_SZ, "type codes");
static_assert(static_cast<REGSAM>(RegistryView::Bits32) == KEY_WOW64_32KEY, "view flags");
static_assert(static_cast<REGSAM>(RegistryView::Bits64) == KEY_WOW64_64KEY, "view flags");

}  // namespace

std::uint32_t RegistryAccessor::InView(std::uint32_t access) const {
  return access | static_cast<std::uint32_t>(view_);
}

void* RegistryAccessor::HiveKey() const {
  return hive_ == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

RegistryAccessor::ResolvedPath RegistryAccessor::Resolve(const std::string& path) const {
  if (!path.empty() && path[0] == '\\') return {HiveKey(), path.substr(1)};
  return {openKey_.valid() ? openKey_.get() : HiveKey(), path};
}

void RegistryAccessor::SelectHive(RegistryRoot root) {
  if (root == hive_) return;
  hive_ = root;
  CloseSubkey();
}

bool RegistryAccessor::OpenSubkey(const std::string& path, bool createIfMissing) {
  const ResolvedPath resolved = Resolve(path);
  HKEY key = nullptr;
  LONG status;
  if (createIfMissing && !resolved.rest.empty()) {
    DWORD disposition = 0;
    status = RegCreateKeyExA(AsKey(resolved.base), resolved.rest.c_str(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, InView(access_), nullptr, &key, &disposition);
  } else {
    status = RegOpenKeyExA(AsKey(resolved.base), resolved.rest.c_str(), 0, InView(access_), &key);
  }
  if (status != ERROR_SUCCESS) return false;
  openKey_.reset(key);  // the old key is released only now that the new one is held
  return true;
}

void RegistryAccessor::CloseSubkey() { openKey_.reset(); }

void RegistryAccessor::WriteText(const std::string& name, const std::string& text) {
  const auto size = static_cast<DWORD>(text.size() + 1);
  if (RegSetValueExA(AsKey(openKey_.get()), name.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()), size) != ERROR_SUCCESS) {
    Raise(kWriteFailed, name);
  }
}

void RegistryAccessor::WriteBytes(const std::string& name, const void* buffer, std::int32_t count) {
  if (RegSetValueExA(AsKey(openKey_.get()), name.c_str(), 0, REG_BINARY,
                     static_cast<const BYTE*>(buffer),
                     static_cast<DWORD>(count)) != ERROR_SUCCESS) {
    Raise(kWriteFailed, name);
  }
}

std::string RegistryAccessor::ReadText(const std::string& name) {
  const ValueInfo info = QueryValueInfo(openKey_.get(), name);
  const auto size = info.exists ? static_cast<std::int32_t>(info.size) : -1;
  if (size <= 0) return std::string();

  std::string text(static_cast<std::size_t>(size), '\0');
  DWORD type = REG_NONE;
  auto read = static_cast<DWORD>(size);
  if (RegQueryValueExA(AsKey(openKey_.get()), name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(&text[0]), &read) != ERROR_SUCCESS) {
    Raise(kReadFailed, name);
  }
  if (!IsText(type)) Raise(kInvalidType, name);
  const auto end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

std::int32_t RegistryAccessor::ReadBytes(const std::string& name, void* buffer,
                                         std::int32_t capacity) {
  const ValueInfo info = QueryValueInfo(openKey_.get(), name);
  if (!info.exists) return 0;
  if (!IsBinaryLike(info.type) || static_cast<std::int64_t>(info.size) > capacity) {
    Raise(kInvalidType, name);
  }
  DWORD type = REG_NONE;
  DWORD read = info.size;
  if (RegQueryValueExA(AsKey(openKey_.get()), name.c_str(), nullptr, &type,
                       static_cast<BYTE*>(buffer), &read) != ERROR_SUCCESS) {
    Raise(kReadFailed, name);
  }
  return static_cast<std::int32_t>(info.size);
}

void RegistryAccessor::WriteNumber(const std::string& name, std::uint32_t number) {
  const DWORD data = number;
  if (RegSetValueExA(AsKey(openKey_.get()), name.c_str(), 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS) {
    Raise(kWriteFailed, name);
  }
}

std::uint32_t RegistryAccessor::ReadNumber(const std::string& name, std::uint32_t fallback) {
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof data;
  const LONG status = RegQueryValueExA(AsKey(openKey_.get()), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&data), &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return fallback;
  return data;
}

bool RegistryAccessor::DeleteValue(const std::string& name) {
  return RegDeleteValueA(AsKey(openKey_.get()), name.c_str()) == ERROR_SUCCESS;
}

bool RegistryAccessor::HasValue(const std::string& name) {
  return QueryValueInfo(openKey_.get(), name).exists;
}

RegistryValueInfo RegistryAccessor::QueryValue(const std::string& name) {
  const ValueInfo info = QueryValueInfo(openKey_.get(), name);
  if (!info.exists) return RegistryValueInfo{false, RegistryValueType::None, 0};
  return RegistryValueInfo{true, static_cast<RegistryValueType>(info.type), info.size};
}

bool RegistryAccessor::HasSubkey(const std::string& path) {
  return ProbeSubkey(path) == KeyPresence::Present;
}

KeyPresence RegistryAccessor::ProbeSubkey(const std::string& path) {
  const ResolvedPath resolved = Resolve(path);
  HKEY key = nullptr;
  const LONG status =
      RegOpenKeyExA(AsKey(resolved.base), resolved.rest.c_str(), 0, InView(kProbeAccess), &key);
  const ScopedRegistryKey probe(key);  // released at once
  if (status == ERROR_SUCCESS && probe.valid()) return KeyPresence::Present;
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND) {
    return KeyPresence::Missing;
  }
  return KeyPresence::Refused;
}

void RegistryAccessor::ListSubkeys(std::vector<std::string>& names) {
  names.clear();
  DWORD count = 0;
  DWORD longest = 0;
  DWORD values = 0, longestValueName = 0, longestData = 0;
  FILETIME lastWrite{};
  if (RegQueryInfoKeyA(AsKey(openKey_.get()), nullptr, nullptr, nullptr, &count, &longest, nullptr,
                       &values, &longestValueName, &longestData, nullptr,
                       &lastWrite) != ERROR_SUCCESS) {
    return;
  }
  // The longest length comes in characters; a double-byte character may take
  // two bytes of the buffer.
  if (IsDoubleByteCodePage()) longest *= 2;
  std::vector<char> name(longest + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD capacity = longest + 1;
    name[0] = '\0';
    // A key removed since the count leaves its step empty-handed; skip it.
    if (RegEnumKeyExA(AsKey(openKey_.get()), i, name.data(), &capacity, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      continue;
    }
    names.emplace_back(name.data());
  }
}

bool RegistryAccessor::DeleteSubkeyTree(const std::string& path) {
  const ResolvedPath resolved = Resolve(path);
  // The tree is deleted below its parent, opened in the chosen view.
  const std::size_t cut = resolved.rest.rfind('\\');
  const std::string parentPath = cut == std::string::npos ? "" : resolved.rest.substr(0, cut);
  const std::string name = resolved.rest.substr(cut == std::string::npos ? 0 : cut + 1);
  if (name.empty()) return false;  // never the open key or the hive itself
  HKEY parent = nullptr;
  if (RegOpenKeyExA(AsKey(resolved.base), parentPath.c_str(), 0, InView(access_), &parent) !=
      ERROR_SUCCESS) {
    return false;
  }
  const ScopedRegistryKey owner(parent);
  return RegDeleteTreeA(parent, name.c_str()) == ERROR_SUCCESS;
}
