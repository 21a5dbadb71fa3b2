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

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

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

// The view every accessor opens keys in; only RegistryViewScope changes it.
RegistryView g_view = RegistryView::Own;

REGSAM WithView(std::uint32_t access) { return access | static_cast<REGSAM>(g_view); }

// Restores the access mask when HasSubkey leaves, however it leaves.
class AccessMaskOverride {
 public:
  AccessMaskOverride(std::uint32_t& mask, std::uint32_t temporary) : mask_(mask), saved_(mask) {
    mask_ = temporary;
  }
  ~AccessMaskOverride() { mask_ = saved_; }
  AccessMaskOverride(const AccessMaskOverride&) = delete;
  AccessMaskOverride& operator=(const AccessMaskOverride&) = delete;

 private:
  std::uint32_t& mask_;
  std::uint32_t saved_;
};

}  // namespace

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
                             REG_OPTION_NON_VOLATILE, WithView(access_), nullptr, &key,
                             &disposition);
  } else {
    status =
        RegOpenKeyExA(AsKey(resolved.base), resolved.rest.c_str(), 0, WithView(access_), &key);
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

void RegistryAccessor::WriteBytes(const std::string& name, const void* buffer,
                                  std::int32_t count) {
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

bool RegistryAccessor::HasValue(const std::string& name) {
  return QueryValueInfo(openKey_.get(), name).exists;
}

RegistryValueInfo RegistryAccessor::QueryValue(const std::string& name) {
  const ValueInfo info = QueryValueInfo(openKey_.get(), name);
  if (!info.exists) return RegistryValueInfo{false, RegistryValueType::None, 0};
  return RegistryValueInfo{true, static_cast<RegistryValueType>(info.type), info.size};
}

bool RegistryAccessor::HasSubkey(const std::string& path) {
  const AccessMaskOverride probeRights(access_, kProbeAccess);
  const ResolvedPath resolved = Resolve(path);
  HKEY key = nullptr;
  RegOpenKeyExA(AsKey(resolved.base), resolved.rest.c_str(), 0, WithView(access_), &key);
  const ScopedRegistryKey probe(key);  // released at once
  return probe.valid();
}

void RegistryAccessor::ListSubkeys(std::vector<std::string>& names) {
  names.clear();
  DWORD count = 0;
  DWORD longest = 0;
  DWORD values = 0, longestValueName = 0, longestData = 0;
  FILETIME lastWrite{};
  if (RegQueryInfoKeyA(AsKey(openKey_.get()), nullptr, nullptr, nullptr, &count, &longest,
                       nullptr, &values, &longestValueName, &longestData, nullptr,
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
    if (RegEnumKeyExA(AsKey(openKey_.get()), i, name.data(), &capacity, nullptr, nullptr,
                      nullptr, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    names.emplace_back(name.data());
  }
}

RegistryViewScope::RegistryViewScope(RegistryView view) : saved_(g_view) { g_view = view; }

RegistryViewScope::~RegistryViewScope() { g_view = saved_; }
