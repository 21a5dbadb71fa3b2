#include "RegistryAccessor.h"

#include "Advapi32.h"
#include "AsciiText.h"
#include "Exceptions.h"
#include "RegistryViewFlags.h"
#include "WideText.h"
#include "Win32.h"

namespace {

const char kWriteFailed[] = "Fehler beim Setzen der Daten f\xC3\xBCr '%s'";
const char kReadFailed[] = "Fehler beim Holen der Daten f\xC3\xBCr '%s'";
const char kInvalidType[] = "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr '%s'";

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

ValueInfo QueryValueInfo(void* key, const WideName& name) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  const LONG status =
      Advapi32().RegQueryValueExW(AsKey(key), name.data(), nullptr, &type, nullptr, &size);
  return ValueInfo{status == ERROR_SUCCESS, type, size};
}

LONG SetValue(void* key, const std::string& name, DWORD type, const void* data, DWORD size) {
  return Advapi32().RegSetValueExW(AsKey(key), Widen(name).data(), 0, type,
                                   static_cast<const BYTE*>(data), size);
}

LONG QueryValueData(void* key, const WideName& name, DWORD* type, void* data, DWORD* size) {
  return Advapi32().RegQueryValueExW(AsKey(key), name.data(), nullptr, type,
                                     static_cast<BYTE*>(data), size);
}

// Room for a class id and most other texts: one call reads them, with no
// question for the size first. A longer value is read again, whole.
constexpr DWORD kShortTextBytes = 256;

// Text as the registry keeps it: UTF-16 up to the first zero unit, of
// `size` bytes, an odd last byte in a unit of its own (zero above it).
std::string TextFromUnits(const WCHAR* units, DWORD size) {
  const std::size_t count = (static_cast<std::size_t>(size) + 1) / sizeof(WCHAR);
  std::size_t length = 0;
  while (length < count && units[length] != 0) ++length;
  return Utf8From(units, length);
}

// Judged on what was read: no bytes is no text, whatever the type.
std::string TextOfType(const std::string& name, DWORD type, const WCHAR* units, DWORD size) {
  if (size == 0) return std::string();
  if (!IsText(type)) Raise(kInvalidType, name);
  return TextFromUnits(units, size);
}

static_assert(static_cast<DWORD>(RegistryValueType::Text) == REG_SZ, "type codes");
static_assert(static_cast<DWORD>(RegistryValueType::Number) == REG_DWORD, "type codes");
static_assert(static_cast<DWORD>(RegistryValueType::TextList) == REG_MULTI_SZ, "type codes");

}  // namespace

// Listed keys are compared one by one: ASCII names, as good as all of them,
// need no conversion, and case folds the same for them as in the system's
// comparison.
bool SameKeyName(const std::string& a, const std::string& b) {
  if (IsAscii(a) && IsAscii(b)) return SameAsciiTextIgnoringCase(a, b);
  const WideText wideA = Widen(a);
  const WideText wideB = Widen(b);
  return CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size() - 1), wideB.data(),
                              static_cast<int>(wideB.size() - 1), TRUE) == CSTR_EQUAL;
}

std::uint32_t RegistryAccessor::InView(std::uint32_t access) const {
  return access | ViewFlags(view_);
}

void* RegistryAccessor::HiveKey() const {
  return hive_ == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

RegistryAccessor::ResolvedPath RegistryAccessor::Resolve(const std::string& path) const {
  const std::string_view whole(path);
  if (!path.empty() && path[0] == '\\') return {HiveKey(), whole.substr(1)};
  return {openKey_.valid() ? openKey_.get() : HiveKey(), whole};
}

void RegistryAccessor::SelectHive(RegistryRoot root) {
  if (root == hive_) return;
  hive_ = root;
  CloseSubkey();
}

bool RegistryAccessor::OpenSubkey(const std::string& path, bool createIfMissing) {
  const ResolvedPath resolved = Resolve(path);
  const WideName rest(resolved.rest);
  HKEY key = nullptr;
  LONG status;
  if (createIfMissing && !resolved.rest.empty()) {
    DWORD disposition = 0;
    status = Advapi32().RegCreateKeyExW(AsKey(resolved.base), rest.data(), 0,
                                        nullptr, REG_OPTION_NON_VOLATILE, InView(access_), nullptr,
                                        &key, &disposition);
  } else {
    status = Advapi32().RegOpenKeyExW(AsKey(resolved.base), rest.data(), 0, InView(access_), &key);
  }
  if (status != ERROR_SUCCESS) return false;
  openKey_.reset(key);  // the old key is released only now that the new one is held
  return true;
}

void RegistryAccessor::CloseSubkey() { openKey_.reset(); }

void RegistryAccessor::WriteText(const std::string& name, const std::string& text) {
  const WideText wide = Widen(text);  // with its terminating zero
  const auto size = static_cast<DWORD>(wide.size() * sizeof(WCHAR));
  if (SetValue(openKey_.get(), name, REG_SZ, wide.data(), size) != ERROR_SUCCESS) {
    Raise(kWriteFailed, name);
  }
}

void RegistryAccessor::WriteBytes(const std::string& name, const void* buffer, std::int32_t count) {
  if (SetValue(openKey_.get(), name, REG_BINARY, buffer, static_cast<DWORD>(count)) !=
      ERROR_SUCCESS) {
    Raise(kWriteFailed, name);
  }
}

std::string RegistryAccessor::ReadText(const std::string& name) {
  const WideName wideName(name);
  WCHAR shortUnits[kShortTextBytes / sizeof(WCHAR)] = {};
  DWORD type = REG_NONE;
  DWORD size = kShortTextBytes;
  const LONG status = QueryValueData(openKey_.get(), wideName, &type, shortUnits, &size);
  if (status == ERROR_MORE_DATA) return ReadLongText(name, wideName, size);
  if (status == ERROR_FILE_NOT_FOUND) return std::string();
  if (status != ERROR_SUCCESS) {
    // Not even its size to be had is no text; a value that is there and
    // still cannot be read is a failure.
    if (!QueryValueInfo(openKey_.get(), wideName).exists) return std::string();
    Raise(kReadFailed, name);
  }
  return TextOfType(name, type, shortUnits, size);
}

// At the size the first read reported; a value that grew since fails.
std::string RegistryAccessor::ReadLongText(const std::string& name, const WideName& wideName,
                                           std::uint32_t reportedSize) {
  std::vector<WCHAR> units((static_cast<std::size_t>(reportedSize) + 1) / sizeof(WCHAR), 0);
  DWORD type = REG_NONE;
  DWORD size = reportedSize;
  if (QueryValueData(openKey_.get(), wideName, &type, units.data(), &size) != ERROR_SUCCESS) {
    Raise(kReadFailed, name);
  }
  return TextOfType(name, type, units.data(), size);
}

std::int32_t RegistryAccessor::ReadBytes(const std::string& name, void* buffer,
                                         std::int32_t capacity) {
  const WideName wideName(name);
  const ValueInfo info = QueryValueInfo(openKey_.get(), wideName);
  if (!info.exists) return 0;
  if (info.type == REG_MULTI_SZ) return ReadTextListBytes(name, buffer, capacity);
  if (!IsBinaryLike(info.type) || static_cast<std::int64_t>(info.size) > capacity) {
    Raise(kInvalidType, name);
  }
  DWORD type = REG_NONE;
  DWORD read = info.size;
  if (QueryValueData(openKey_.get(), wideName, &type, buffer, &read) != ERROR_SUCCESS) {
    Raise(kReadFailed, name);
  }
  return static_cast<std::int32_t>(info.size);
}

// A list of texts is kept in UTF-16; its bytes are those the system's code
// page gives it, as they have always been read.
std::int32_t RegistryAccessor::ReadTextListBytes(const std::string& name, void* buffer,
                                                 std::int32_t capacity) {
  const WideName wideName(name);
  const ValueInfo info = QueryValueInfo(openKey_.get(), wideName);
  std::vector<WCHAR> units(info.size / sizeof(WCHAR) + 1, 0);
  DWORD type = REG_NONE;
  DWORD read = info.size;
  if (QueryValueData(openKey_.get(), wideName, &type, units.data(), &read) != ERROR_SUCCESS) {
    Raise(kReadFailed, name);
  }
  const std::string bytes = NarrowTo(CP_ACP, units.data(), read / sizeof(WCHAR));
  if (static_cast<std::int64_t>(bytes.size()) > capacity) Raise(kInvalidType, name);
  bytes.copy(static_cast<char*>(buffer), bytes.size());
  return static_cast<std::int32_t>(bytes.size());
}

void RegistryAccessor::WriteNumber(const std::string& name, std::uint32_t number) {
  const DWORD data = number;
  if (SetValue(openKey_.get(), name, REG_DWORD, &data, sizeof data) != ERROR_SUCCESS) {
    Raise(kWriteFailed, name);
  }
}

std::uint32_t RegistryAccessor::ReadNumber(const std::string& name, std::uint32_t fallback) {
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof data;
  const LONG status = QueryValueData(openKey_.get(), WideName(name), &type, &data, &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return fallback;
  return data;
}

bool RegistryAccessor::DeleteValue(const std::string& name) {
  return Advapi32().RegDeleteValueW(AsKey(openKey_.get()), Widen(name).data()) == ERROR_SUCCESS;
}

bool RegistryAccessor::HasValue(const std::string& name) {
  return QueryValueInfo(openKey_.get(), WideName(name)).exists;
}

RegistryValueInfo RegistryAccessor::QueryValue(const std::string& name) {
  const ValueInfo info = QueryValueInfo(openKey_.get(), WideName(name));
  if (!info.exists) return RegistryValueInfo{false, RegistryValueType::None, 0};
  return RegistryValueInfo{true, static_cast<RegistryValueType>(info.type), info.size};
}

bool RegistryAccessor::HasSubkey(const std::string& path) {
  return ProbeSubkey(path) == KeyPresence::Present;
}

KeyPresence RegistryAccessor::ProbeSubkey(const std::string& path) {
  const ResolvedPath resolved = Resolve(path);
  HKEY key = nullptr;
  const LONG status = Advapi32().RegOpenKeyExW(AsKey(resolved.base), WideName(resolved.rest).data(),
                                               0, InView(kProbeAccess), &key);
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
  if (Advapi32().RegQueryInfoKeyW(AsKey(openKey_.get()), nullptr, nullptr, nullptr, &count,
                                  &longest, nullptr, &values, &longestValueName, &longestData,
                                  nullptr, &lastWrite) != ERROR_SUCCESS) {
    return;
  }
  // The longest length comes in UTF-16 units, as the names are listed.
  std::vector<WCHAR> name(longest + 1);
  names.reserve(count);
  for (DWORD i = 0; i < count; ++i) {
    DWORD capacity = longest + 1;
    // A key removed since the count leaves its step empty-handed; skip it.
    if (Advapi32().RegEnumKeyExW(AsKey(openKey_.get()), i, name.data(), &capacity, nullptr, nullptr,
                                 nullptr, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    names.push_back(Utf8From(name.data(), capacity));
  }
}
