// The stand-in's registry: two roots of keys kept in memory, handles with the
// rights they were granted, and the controls tests use to take rights away
// or make value calls fail. A key can be a link to another key, as Windows
// and Wine keep them: its target an absolute path in its REG_LINK value
// "SymbolicLinkValue", followed wherever a path runs through it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

// As the system keeps them, names are Unicode (here in UTF-8) and text
// values UTF-16, whichever calls wrote them; the "A" calls convert at the
// door. Names are kept by their upper-case form, folded once when the key or
// value is stored: subkeys then come out as the registry lists them (folded
// names in the order of their characters).
using FoldedName = std::string;

struct Value {
  std::string name;  // as first written
  DWORD type;
  std::vector<BYTE> data;  // text types in UTF-16
};

struct Key {
  std::string name;  // as first written
  std::string path;  // "HKLM\A\B", as the names were first written
  std::map<FoldedName, std::shared_ptr<Key>> subkeys;
  std::map<FoldedName, Value> values;
  bool deleted = false;
  bool link = false;
  std::weak_ptr<Key> parent;  // empty for a root
};

struct OpenKey {
  std::shared_ptr<Key> key;
  REGSAM granted;
};

struct ValueFault {
  FoldedName name;  // empty: every value
  LONG error;
};

struct Registry {
  std::shared_ptr<Key> localMachine =
      std::make_shared<Key>(Key{"HKLM", "HKLM", {}, {}, false, false, {}});
  std::shared_ptr<Key> currentUser =
      std::make_shared<Key>(Key{"HKCU", "HKCU", {}, {}, false, false, {}});
  OpenKey localMachineRoot{localMachine, KEY_ALL_ACCESS};
  OpenKey currentUserRoot{currentUser, KEY_ALL_ACCESS};
  std::map<ULONG_PTR, OpenKey> handles;
  ULONG_PTR nextHandle = 0x100;
  std::map<FoldedName, KeyRights> rights;  // by full key path
  std::vector<ValueFault> writeFaults;
  std::vector<ValueFault> readFaults;
};

Registry& State() {
  static Registry registry;
  return registry;
}

constexpr REGSAM kReadRights = KEY_READ | KEY_WOW64_32KEY | KEY_WOW64_64KEY;

// How links name their targets: the roots by their paths in the system's
// namespace (the current user's as Wine gives it).
const char kMachinePath[] = "\\REGISTRY\\MACHINE";
const char kCurrentUserPath[] = "\\REGISTRY\\USER\\S-1-5-21-0-0-0-1000";
const char kLinkValue[] = "SYMBOLICLINKVALUE";  // folded
// The system gives up on a chain of links at some length; loops end there.
constexpr int kMostLinksFollowed = 16;
// The deepest a key can stand, which no tree to delete exceeds.
constexpr int kDeepestKey = 512;

constexpr NTSTATUS kStatusInvalidHandle = static_cast<NTSTATUS>(0xC0000008u);
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022u);
constexpr NTSTATUS kStatusKeyDeleted = static_cast<NTSTATUS>(0xC000017Cu);

bool IsRoot(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER; }

// The key a handle stands for, with the rights granted on it; null when the
// handle is unknown.
const OpenKey* Lookup(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return &State().localMachineRoot;
  if (key == HKEY_CURRENT_USER) return &State().currentUserRoot;
  const auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(key));
  return found == State().handles.end() ? nullptr : &found->second;
}

KeyRights RightsOn(const std::string& path) {
  // The nearest setting on the key or above it applies.
  std::string at = FoldName(path);
  for (;;) {
    const auto found = State().rights.find(at);
    if (found != State().rights.end()) return found->second;
    const auto cut = at.rfind('\\');
    if (cut == std::string::npos) return KeyRights::Full;
    at.resize(cut);
  }
}

bool Allows(KeyRights rights, REGSAM desired) {
  switch (rights) {
    case KeyRights::Full:
      return true;
    case KeyRights::ReadOnly:
      return (desired & ~kReadRights) == 0;
    case KeyRights::None:
      return false;
  }
  return false;
}

// Splits "A\B\C" into its names; a trailing backslash is allowed, an empty
// name elsewhere is not.
bool SplitPath(const std::string& subKey, std::vector<std::string>& names) {
  names.clear();
  if (subKey.empty()) return true;
  std::string path(subKey);
  if (path.back() == '\\') path.pop_back();
  std::size_t start = 0;
  for (;;) {
    const auto cut = path.find('\\', start);
    names.push_back(path.substr(start, cut - start));
    if (names.back().empty()) return false;
    if (cut == std::string::npos) return true;
    start = cut + 1;
  }
}

HKEY NewHandle(const std::shared_ptr<Key>& key, REGSAM granted) {
  const ULONG_PTR value = State().nextHandle;
  State().nextHandle += 4;
  State().handles[value] = OpenKey{key, granted};
  return reinterpret_cast<HKEY>(value);
}

std::string JoinPath(const std::string& base, const std::string& subKey) {
  return subKey.empty() ? base : base + "\\" + subKey;
}

// The rights an open asks for, as "0xF003F".
std::string AccessMask(REGSAM desired) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(desired));
  return text;
}

std::string ValueLabel(const OpenKey* open, const std::string& name) {
  return (open ? open->key->path : std::string("?")) + ":" + name;
}

bool SameName(const std::string& a, const std::string& b) { return FoldName(a) == FoldName(b); }

LONG FaultFor(const std::vector<ValueFault>& faults, const std::string& name) {
  for (const ValueFault& fault : faults) {
    if (fault.name.empty() || fault.name == FoldName(name)) return fault.error;
  }
  return ERROR_SUCCESS;
}

// On 64-bit Windows the machine's SOFTWARE key shows a 32-bit program its
// WOW6432Node unless the 64-bit view is asked for. The few keys Windows
// shares between the views are not modelled: the browser's are not among them.
void ApplyView(const OpenKey& base, REGSAM desired, std::vector<std::string>& names) {
  if (!Windows64Bit() || (desired & KEY_WOW64_64KEY) != 0) return;
  if (base.key != State().localMachine || names.empty() || !SameName(names[0], "SOFTWARE")) {
    return;
  }
  if (names.size() > 1 && SameName(names[1], "WOW6432Node")) return;
  names.insert(names.begin() + 1, "WOW6432Node");
}

// A link's target in the ANSI form of its path; empty when it is no path
// of ours (a character beyond ASCII, a zero, no value of the right type).
std::string LinkTarget(const Key& link) {
  const auto found = link.values.find(kLinkValue);
  if (found == link.values.end() || found->second.type != REG_LINK) return std::string();
  const std::vector<BYTE>& data = found->second.data;
  std::string path;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    if (data[i] == 0 || data[i] > 0x7F || data[i + 1] != 0) return std::string();
    path += static_cast<char>(data[i]);
  }
  return data.size() % 2 == 0 ? path : std::string();
}

std::shared_ptr<Key> Target(const Key& link, int& followed);

// Walks down `names` from `key`. A link on the way is followed, and so is one
// at the end unless `openLink`; null when a key is missing.
std::shared_ptr<Key> Walk(std::shared_ptr<Key> key, const std::vector<std::string>& names,
                          bool openLink, int& followed) {
  for (std::size_t i = 0; i < names.size() && key != nullptr; ++i) {
    const auto found = key->subkeys.find(FoldName(names[i]));
    if (found == key->subkeys.end()) return nullptr;
    key = found->second;
    if (key->link && !(openLink && i + 1 == names.size())) key = Target(*key, followed);
  }
  return key;
}

// The key a link leads to; null when its target is missing or no path.
std::shared_ptr<Key> Target(const Key& link, int& followed) {
  if (++followed > kMostLinksFollowed) return nullptr;
  const std::string target = FoldName(LinkTarget(link));
  std::shared_ptr<Key> root;
  std::string rest;
  for (const auto& named : {std::make_pair(FoldName(kMachinePath), State().localMachine),
                            std::make_pair(FoldName(kCurrentUserPath), State().currentUser)}) {
    if (target.compare(0, named.first.size(), named.first) != 0) continue;
    rest = target.substr(named.first.size());
    if (rest.empty() || rest[0] == '\\') root = named.second;
  }
  std::vector<std::string> names;
  if (root == nullptr || !SplitPath(rest.empty() ? "" : rest.substr(1), names)) return nullptr;
  return Walk(root, names, false, followed);
}

// Deletes a key that has no subkeys; the roots stay.
LONG Remove(const std::shared_ptr<Key>& key) {
  const std::shared_ptr<Key> parent = key->parent.lock();
  if (parent == nullptr || !key->subkeys.empty()) return ERROR_ACCESS_DENIED;
  key->deleted = true;
  parent->subkeys.erase(FoldName(key->name));
  return ERROR_SUCCESS;
}

// As the system's RegDeleteTree does it: the key opened through links, each
// subkey deleted in turn the same way (so a link's target goes, and the link
// stays and ends the loop), then the key itself, again through links.
LONG DeleteTree(const std::shared_ptr<Key>& base, const std::vector<std::string>& names,
                int depth) {
  int followed = 0;
  const std::shared_ptr<Key> key = Walk(base, names, false, followed);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  if (RightsOn(key->path) != KeyRights::Full || depth > kDeepestKey) return ERROR_ACCESS_DENIED;
  while (!key->subkeys.empty()) {
    const LONG status = DeleteTree(key, {key->subkeys.begin()->second->name}, depth + 1);
    if (status != ERROR_SUCCESS) return status;
  }
  if (names.empty()) {  // no subkey named: the key itself is emptied
    key->values.clear();
    return ERROR_SUCCESS;
  }
  followed = 0;
  const std::shared_ptr<Key> again = Walk(base, names, false, followed);
  return again == nullptr ? ERROR_FILE_NOT_FOUND : Remove(again);
}

LONG CheckedOpen(HKEY base, const std::string& subKey, REGSAM desired, const OpenKey*& open,
                 std::vector<std::string>& names) {
  open = Lookup(base);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if (!SplitPath(subKey, names)) return ERROR_BAD_PATHNAME;
  ApplyView(*open, desired, names);
  return ERROR_SUCCESS;
}

}  // namespace

void ResetRegistry() { State() = Registry(); }

void SetKeyRights(HKEY root, const std::string& path, KeyRights rights) {
  const std::string base = root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU";
  State().rights[FoldName(JoinPath(base, path))] = rights;
}

void FailValueWrites(const std::string& name, LONG error) {
  State().writeFaults.push_back({FoldName(name), error});
}

void FailValueReads(const std::string& name, LONG error) {
  State().readFaults.push_back({FoldName(name), error});
}

void ClearValueFaults() {
  State().writeFaults.clear();
  State().readFaults.clear();
}

int OpenKeyCount() { return static_cast<int>(State().handles.size()); }

}  // namespace standin

namespace standin {
namespace {

// The calls' work on names in UTF-8; `call` names the call for the log.

LONG OpenNamed(const char* call, HKEY base, const std::string& subKey, DWORD options,
               REGSAM desired, PHKEY result) {
  const OpenKey* open = nullptr;
  std::vector<std::string> names;
  if (result) *result = nullptr;
  LONG status = CheckedOpen(base, subKey, desired, open, names);
  const bool openLink = (options & REG_OPTION_OPEN_LINK) != 0;
  RecordCall(std::string(call) + " " + JoinPath(open ? open->key->path : "?", subKey) +
             (openLink ? " OPEN_LINK " : " ") + AccessMask(desired));
  if (status != ERROR_SUCCESS) return status;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  int followed = 0;
  const std::shared_ptr<Key> key = Walk(open->key, names, openLink, followed);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  if (!Allows(RightsOn(key->path), desired)) return ERROR_ACCESS_DENIED;
  *result = NewHandle(key, desired);
  return ERROR_SUCCESS;
}

LONG CreateNamed(const char* call, HKEY base, const std::string& subKey, DWORD options,
                 REGSAM desired, PHKEY result, LPDWORD disposition) {
  const OpenKey* open = nullptr;
  std::vector<std::string> names;
  if (result) *result = nullptr;
  LONG status = CheckedOpen(base, subKey, desired, open, names);
  RecordCall(std::string(call) + " " + JoinPath(open ? open->key->path : "?", subKey) + " " +
             AccessMask(desired));
  if (status != ERROR_SUCCESS) return status;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<Key> key = open->key;
  DWORD outcome = REG_OPENED_EXISTING_KEY;
  int followed = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool last = i + 1 == names.size();
    auto found = key->subkeys.find(FoldName(names[i]));
    if (found == key->subkeys.end()) {
      if (RightsOn(key->path) != KeyRights::Full) return ERROR_ACCESS_DENIED;
      auto created = std::make_shared<Key>();
      created->name = names[i];
      created->path = key->path + "\\" + names[i];
      created->link = last && (options & REG_OPTION_CREATE_LINK) != 0;
      created->parent = key;
      found = key->subkeys.emplace(FoldName(names[i]), created).first;
      outcome = REG_CREATED_NEW_KEY;
    } else if (last && (options & REG_OPTION_CREATE_LINK) != 0) {
      return ERROR_ALREADY_EXISTS;
    }
    key = found->second;
    if (key->link && outcome == REG_OPENED_EXISTING_KEY) key = Target(*key, followed);
    if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  }
  if (!Allows(RightsOn(key->path), desired)) return ERROR_ACCESS_DENIED;
  *result = NewHandle(key, desired);
  if (disposition) *disposition = outcome;
  return ERROR_SUCCESS;
}

// `data` as the system stores it: text types in UTF-16.
LONG SetNamed(const char* call, HKEY key, const std::string& name, DWORD type,
              std::vector<BYTE> data) {
  const OpenKey* open = Lookup(key);
  RecordCall(std::string(call) + " " + ValueLabel(open, name));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  const LONG fault = FaultFor(State().writeFaults, name);
  if (fault != ERROR_SUCCESS) return fault;
  Value value{name, type, std::move(data)};
  auto found = open->key->values.find(FoldName(name));
  if (found == open->key->values.end()) {
    open->key->values.emplace(FoldName(name), std::move(value));
  } else {
    value.name = found->second.name;  // keeps the name as first written
    found->second = std::move(value);
  }
  return ERROR_SUCCESS;
}

// The value a query finds; `reading` when the caller wants its data, which
// the read faults refuse.
LONG FindNamed(const char* call, HKEY key, const std::string& name, bool reading,
               const Value*& value) {
  const OpenKey* open = Lookup(key);
  RecordCall(std::string(call) + " " + ValueLabel(open, name));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  const auto found = open->key->values.find(FoldName(name));
  if (found == open->key->values.end()) return ERROR_FILE_NOT_FOUND;
  value = &found->second;
  return reading ? FaultFor(State().readFaults, name) : ERROR_SUCCESS;
}

bool IsTextData(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Stored text as an "A" call hands it out.
std::vector<BYTE> AnsiData(const std::vector<BYTE>& stored) {
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < stored.size(); i += 2) {
    wide += static_cast<char16_t>(stored[i] | (stored[i + 1] << 8));
  }
  const std::string ansi = AnsiFromUtf8(Utf8FromWide(wide));
  return std::vector<BYTE>(ansi.begin(), ansi.end());
}

// Hands `bytes` out as a query does: the size always, the data when the
// caller gave room for it.
LONG Deliver(const std::vector<BYTE>& bytes, DWORD type, LPDWORD typeOut, LPBYTE data,
             LPDWORD dataSize) {
  const auto size = static_cast<DWORD>(bytes.size());
  if (typeOut) *typeOut = type;
  if (data == nullptr) {
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  const DWORD capacity = *dataSize;
  *dataSize = size;
  if (capacity < size) return ERROR_MORE_DATA;
  if (size > 0) std::memcpy(data, bytes.data(), size);
  return ERROR_SUCCESS;
}

LONG QueryNamed(const char* call, HKEY key, const std::string& name, LPDWORD type, LPBYTE data,
                LPDWORD dataSize, bool ansi) {
  if (data != nullptr && dataSize == nullptr) {
    RecordCall(std::string(call) + " " + ValueLabel(Lookup(key), name));
    return ERROR_INVALID_PARAMETER;
  }
  const Value* value = nullptr;
  const LONG status = FindNamed(call, key, name, data != nullptr, value);
  if (value == nullptr || (status != ERROR_SUCCESS && data != nullptr)) return status;
  if (!ansi || !IsTextData(value->type))
    return Deliver(value->data, value->type, type, data, dataSize);
  return Deliver(AnsiData(value->data), value->type, type, data, dataSize);
}

// The name of the subkey at `index`, in UTF-8.
LONG EnumNamed(const char* call, HKEY key, DWORD index, std::string& name) {
  const OpenKey* open = Lookup(key);
  RecordCall(std::string(call) + " " + (open ? open->key->path : std::string("?")));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (index >= open->key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto entry = open->key->subkeys.begin();
  std::advance(entry, index);
  name = entry->second->name;
  return ERROR_SUCCESS;
}

// Copies `name` and its zero into a buffer of `*size` units.
template <typename Unit>
LONG DeliverName(const std::basic_string<Unit>& name, Unit* buffer, LPDWORD size) {
  if (buffer == nullptr || size == nullptr) return ERROR_INVALID_PARAMETER;
  if (name.size() + 1 > *size) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(Unit));
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

LONG DeleteTreeNamed(const char* call, HKEY base, const std::string& subKey) {
  const OpenKey* open = nullptr;
  std::vector<std::string> names;
  LONG status = CheckedOpen(base, subKey, 0, open, names);
  RecordCall(std::string(call) + " " + JoinPath(open ? open->key->path : "?", subKey));
  if (status != ERROR_SUCCESS) return status;
  return DeleteTree(open->key, names, 0);
}

LONG DeleteValueNamed(const char* call, HKEY key, const std::string& name) {
  const OpenKey* open = Lookup(key);
  RecordCall(std::string(call) + " " + ValueLabel(open, name));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if ((open->granted & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  const auto erased = open->key->values.erase(FoldName(name));
  return erased ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// ---- The doors: names and text in the forms the "A" and "W" calls take ----

// An "A" name in UTF-8; false when the stand-in's table lacks a character.
bool NameFromAnsi(LPCSTR name, std::string& utf8) { return Utf8FromAnsi(name ? name : "", utf8); }

std::string NameFromWide(LPCWSTR name) {
  std::u16string wide;
  for (const WCHAR* at = name; at != nullptr && *at != 0; ++at) wide += static_cast<char16_t>(*at);
  return Utf8FromWide(wide);
}

std::vector<BYTE> UnitBytes(const std::u16string& text) {
  std::vector<BYTE> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
  return bytes;
}

// Text an "A" call writes, as the system stores it: every byte given,
// zeros included, widened from the ANSI code page.
bool WideData(const BYTE* data, DWORD size, std::vector<BYTE>& stored) {
  std::string utf8;
  if (!Utf8FromAnsi(std::string(reinterpret_cast<const char*>(data), size), utf8)) return false;
  stored = UnitBytes(WideFromUtf8(utf8));
  return true;
}

}  // namespace

}  // namespace standin

using namespace standin;

LSTATUS RegOpenKeyExA(HKEY base, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  const CallTurn turn;
  std::string name;
  if (!NameFromAnsi(subKey, name)) return ERROR_INVALID_PARAMETER;
  return OpenNamed("RegOpenKeyExA", base, name, options, desired, result);
}

LSTATUS RegOpenKeyExW(HKEY base, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  const CallTurn turn;
  return OpenNamed("RegOpenKeyExW", base, NameFromWide(subKey), options, desired, result);
}

LSTATUS RegCreateKeyExA(HKEY base, LPCSTR subKey, DWORD, LPSTR, DWORD options, REGSAM desired,
                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  const CallTurn turn;
  std::string name;
  if (!NameFromAnsi(subKey, name)) return ERROR_INVALID_PARAMETER;
  return CreateNamed("RegCreateKeyExA", base, name, options, desired, result, disposition);
}

LSTATUS RegCreateKeyExW(HKEY base, LPCWSTR subKey, DWORD, LPWSTR, DWORD options, REGSAM desired,
                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  const CallTurn turn;
  return CreateNamed("RegCreateKeyExW", base, NameFromWide(subKey), options, desired, result,
                     disposition);
}

LSTATUS RegCloseKey(HKEY key) {
  const CallTurn turn;
  if (IsRoot(key)) return ERROR_SUCCESS;
  const auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(key));
  if (found == State().handles.end()) return ERROR_INVALID_HANDLE;
  RecordCall("RegCloseKey " + found->second.key->path);
  State().handles.erase(found);
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  const CallTurn turn;
  std::string name;
  if (!NameFromAnsi(valueName, name)) return ERROR_INVALID_PARAMETER;
  if (data == nullptr && dataSize > 0) {
    RecordCall("RegSetValueExA " + ValueLabel(Lookup(key), name));
    return ERROR_NOACCESS;
  }
  std::vector<BYTE> stored(data, data + dataSize);
  if (IsTextData(type) && !WideData(data, dataSize, stored)) return ERROR_INVALID_PARAMETER;
  return SetNamed("RegSetValueExA", key, name, type, std::move(stored));
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  const CallTurn turn;
  const std::string name = NameFromWide(valueName);
  if (data == nullptr && dataSize > 0) {
    RecordCall("RegSetValueExW " + ValueLabel(Lookup(key), name));
    return ERROR_NOACCESS;
  }
  return SetNamed("RegSetValueExW", key, name, type, std::vector<BYTE>(data, data + dataSize));
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  const CallTurn turn;
  std::string name;
  if (!NameFromAnsi(valueName, name)) return ERROR_INVALID_PARAMETER;
  return QueryNamed("RegQueryValueExA", key, name, type, data, dataSize, true);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  const CallTurn turn;
  return QueryNamed("RegQueryValueExW", key, NameFromWide(valueName), type, data, dataSize, false);
}

namespace {

LONG QueryInfo(const char* call, HKEY key, LPDWORD subKeys, LPDWORD maxSubKeyLen,
               LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen, LPDWORD maxValueLen,
               PFILETIME lastWriteTime) {
  const OpenKey* open = Lookup(key);
  RecordCall(std::string(call) + " " + (open ? open->key->path : std::string("?")));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  // Lengths are counted in UTF-16 units, as the system counts them for both
  // kinds of call.
  DWORD longestKey = 0, longestName = 0, longestData = 0;
  for (const auto& entry : open->key->subkeys) {
    longestKey = std::max<DWORD>(longestKey, Utf16Length(entry.second->name));
  }
  for (const auto& entry : open->key->values) {
    longestName = std::max<DWORD>(longestName, Utf16Length(entry.second.name));
    longestData = std::max<DWORD>(longestData, static_cast<DWORD>(entry.second.data.size()));
  }
  if (subKeys) *subKeys = static_cast<DWORD>(open->key->subkeys.size());
  if (maxSubKeyLen) *maxSubKeyLen = longestKey;
  if (maxClassLen) *maxClassLen = 0;
  if (values) *values = static_cast<DWORD>(open->key->values.size());
  if (maxValueNameLen) *maxValueNameLen = longestName;
  if (maxValueLen) *maxValueLen = longestData;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR, LPDWORD, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLen,
                         LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                         LPDWORD maxValueLen, LPDWORD, PFILETIME lastWriteTime) {
  const CallTurn turn;
  return QueryInfo("RegQueryInfoKeyA", key, subKeys, maxSubKeyLen, maxClassLen, values,
                   maxValueNameLen, maxValueLen, lastWriteTime);
}

LSTATUS RegQueryInfoKeyW(HKEY key, LPWSTR, LPDWORD, LPDWORD, LPDWORD subKeys, LPDWORD maxSubKeyLen,
                         LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                         LPDWORD maxValueLen, LPDWORD, PFILETIME lastWriteTime) {
  const CallTurn turn;
  return QueryInfo("RegQueryInfoKeyW", key, subKeys, maxSubKeyLen, maxClassLen, values,
                   maxValueNameLen, maxValueLen, lastWriteTime);
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR, LPDWORD,
                      PFILETIME) {
  const CallTurn turn;
  std::string found;
  const LONG status = EnumNamed("RegEnumKeyExA", key, index, found);
  if (status != ERROR_SUCCESS) return status;
  // What the code page lacks comes out as "?", as the system's listing gives it.
  return DeliverName(AnsiFromUtf8(found), name, nameSize);
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD, LPWSTR,
                      LPDWORD, PFILETIME) {
  const CallTurn turn;
  std::string found;
  const LONG status = EnumNamed("RegEnumKeyExW", key, index, found);
  if (status != ERROR_SUCCESS) return status;
  const std::u16string wide = WideFromUtf8(found);
  return DeliverName(std::basic_string<WCHAR>(wide.begin(), wide.end()), name, nameSize);
}

LSTATUS RegDeleteTreeA(HKEY base, LPCSTR subKey) {
  const CallTurn turn;
  std::string name;
  if (!NameFromAnsi(subKey, name)) return ERROR_INVALID_PARAMETER;
  return DeleteTreeNamed("RegDeleteTreeA", base, name);
}

// The key in the view named, reached through links, deleted when it has no
// subkeys.
LSTATUS RegDeleteKeyExA(HKEY base, LPCSTR subKey, REGSAM view, DWORD) {
  const CallTurn turn;
  std::string name;
  if (!NameFromAnsi(subKey, name)) return ERROR_INVALID_PARAMETER;
  const OpenKey* open = nullptr;
  std::vector<std::string> names;
  const LONG status = CheckedOpen(base, name, view, open, names);
  RecordCall("RegDeleteKeyExA " + JoinPath(open ? open->key->path : "?", name));
  if (status != ERROR_SUCCESS) return status;
  int followed = 0;
  const std::shared_ptr<Key> key = Walk(open->key, names, false, followed);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  if (RightsOn(key->path) != KeyRights::Full) return ERROR_ACCESS_DENIED;
  return Remove(key);
}

NTSTATUS NtDeleteKey(HANDLE handle) {
  const CallTurn turn;
  const auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(handle));
  const bool known = found != State().handles.end();
  RecordCall("NtDeleteKey " + (known ? found->second.key->path : std::string("?")));
  if (!known) return kStatusInvalidHandle;
  const OpenKey& open = found->second;
  if (open.key->deleted) return kStatusKeyDeleted;
  if ((open.granted & DELETE) == 0 || RightsOn(open.key->path) != KeyRights::Full) {
    return kStatusAccessDenied;
  }
  // A key with subkeys is refused as Wine refuses it.
  return Remove(open.key) == ERROR_SUCCESS ? 0 : kStatusAccessDenied;
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
  const CallTurn turn;
  std::string name;
  if (!NameFromAnsi(valueName, name)) return ERROR_INVALID_PARAMETER;
  return DeleteValueNamed("RegDeleteValueA", key, name);
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  const CallTurn turn;
  return DeleteValueNamed("RegDeleteValueW", key, NameFromWide(valueName));
}
