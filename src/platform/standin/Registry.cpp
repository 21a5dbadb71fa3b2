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

// Names are kept by their upper-case form, folded once when the key or value
// is stored: subkeys then come out as the registry lists them (folded names
// compared as unsigned bytes), and a later change of the code page cannot
// reorder a map that already holds them.
using FoldedName = std::string;

struct Value {
  std::string name;  // as first written
  DWORD type;
  std::vector<BYTE> data;
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
  std::string at = FoldToUpper(path);
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
    case KeyRights::Full: return true;
    case KeyRights::ReadOnly: return (desired & ~kReadRights) == 0;
    case KeyRights::None: return false;
  }
  return false;
}

// Splits "A\B\C" into its names; a trailing backslash is allowed, an empty
// name elsewhere is not.
bool SplitPath(const char* subKey, std::vector<std::string>& names) {
  names.clear();
  if (subKey == nullptr || *subKey == '\0') return true;
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

std::string JoinPath(const std::string& base, const char* subKey) {
  return (subKey == nullptr || *subKey == '\0') ? base : base + "\\" + subKey;
}

// The rights an open asks for, as "0xF003F".
std::string AccessMask(REGSAM desired) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(desired));
  return text;
}

std::string ValueLabel(const OpenKey* open, LPCSTR name) {
  return (open ? open->key->path : std::string("?")) + ":" + (name ? name : "");
}

bool SameName(const std::string& a, const std::string& b) {
  return FoldToUpper(a) == FoldToUpper(b);
}

LONG FaultFor(const std::vector<ValueFault>& faults, const std::string& name) {
  for (const ValueFault& fault : faults) {
    if (fault.name.empty() || fault.name == FoldToUpper(name)) return fault.error;
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
    const auto found = key->subkeys.find(FoldToUpper(names[i]));
    if (found == key->subkeys.end()) return nullptr;
    key = found->second;
    if (key->link && !(openLink && i + 1 == names.size())) key = Target(*key, followed);
  }
  return key;
}

// The key a link leads to; null when its target is missing or no path.
std::shared_ptr<Key> Target(const Key& link, int& followed) {
  if (++followed > kMostLinksFollowed) return nullptr;
  const std::string target = FoldToUpper(LinkTarget(link));
  std::shared_ptr<Key> root;
  std::string rest;
  for (const auto& named : {std::make_pair(FoldToUpper(kMachinePath), State().localMachine),
                            std::make_pair(FoldToUpper(kCurrentUserPath), State().currentUser)}) {
    if (target.compare(0, named.first.size(), named.first) != 0) continue;
    rest = target.substr(named.first.size());
    if (rest.empty() || rest[0] == '\\') root = named.second;
  }
  std::vector<std::string> names;
  if (root == nullptr || !SplitPath(rest.empty() ? "" : rest.c_str() + 1, names)) return nullptr;
  return Walk(root, names, false, followed);
}

// Deletes a key that has no subkeys; the roots stay.
LONG Remove(const std::shared_ptr<Key>& key) {
  const std::shared_ptr<Key> parent = key->parent.lock();
  if (parent == nullptr || !key->subkeys.empty()) return ERROR_ACCESS_DENIED;
  key->deleted = true;
  parent->subkeys.erase(FoldToUpper(key->name));
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

LONG CheckedOpen(HKEY base, LPCSTR subKey, REGSAM desired, const OpenKey*& open,
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
  State().rights[FoldToUpper(JoinPath(base, path.c_str()))] = rights;
}

void FailValueWrites(const std::string& name, LONG error) {
  State().writeFaults.push_back({FoldToUpper(name), error});
}

void FailValueReads(const std::string& name, LONG error) {
  State().readFaults.push_back({FoldToUpper(name), error});
}

void ClearValueFaults() {
  State().writeFaults.clear();
  State().readFaults.clear();
}

int OpenKeyCount() { return static_cast<int>(State().handles.size()); }

}  // namespace standin

using namespace standin;

LSTATUS RegOpenKeyExA(HKEY base, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  const OpenKey* open = nullptr;
  std::vector<std::string> names;
  if (result) *result = nullptr;
  LONG status = CheckedOpen(base, subKey, desired, open, names);
  const bool openLink = (options & REG_OPTION_OPEN_LINK) != 0;
  RecordCall("RegOpenKeyExA " + JoinPath(open ? open->key->path : "?", subKey) +
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

LSTATUS RegCreateKeyExA(HKEY base, LPCSTR subKey, DWORD, LPSTR, DWORD options, REGSAM desired,
                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  const OpenKey* open = nullptr;
  std::vector<std::string> names;
  if (result) *result = nullptr;
  LONG status = CheckedOpen(base, subKey, desired, open, names);
  RecordCall("RegCreateKeyExA " + JoinPath(open ? open->key->path : "?", subKey) + " " +
             AccessMask(desired));
  if (status != ERROR_SUCCESS) return status;
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<Key> key = open->key;
  DWORD outcome = REG_OPENED_EXISTING_KEY;
  int followed = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool last = i + 1 == names.size();
    auto found = key->subkeys.find(FoldToUpper(names[i]));
    if (found == key->subkeys.end()) {
      if (RightsOn(key->path) != KeyRights::Full) return ERROR_ACCESS_DENIED;
      auto created = std::make_shared<Key>();
      created->name = names[i];
      created->path = key->path + "\\" + names[i];
      created->link = last && (options & REG_OPTION_CREATE_LINK) != 0;
      created->parent = key;
      found = key->subkeys.emplace(FoldToUpper(names[i]), created).first;
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

LSTATUS RegCloseKey(HKEY key) {
  if (IsRoot(key)) return ERROR_SUCCESS;
  const auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(key));
  if (found == State().handles.end()) return ERROR_INVALID_HANDLE;
  RecordCall("RegCloseKey " + found->second.key->path);
  State().handles.erase(found);
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  const OpenKey* open = Lookup(key);
  RecordCall("RegSetValueExA " + ValueLabel(open, valueName));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data == nullptr && dataSize > 0) return ERROR_NOACCESS;
  const std::string name = valueName ? valueName : "";
  const LONG fault = FaultFor(State().writeFaults, name);
  if (fault != ERROR_SUCCESS) return fault;
  Value value{name, type, std::vector<BYTE>(data, data + dataSize)};
  auto found = open->key->values.find(FoldToUpper(name));
  if (found == open->key->values.end()) {
    open->key->values.emplace(FoldToUpper(name), std::move(value));
  } else {
    value.name = found->second.name;  // keeps the name as first written
    found->second = std::move(value);
  }
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  const OpenKey* open = Lookup(key);
  RecordCall("RegQueryValueExA " + ValueLabel(open, valueName));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
  const std::string name = valueName ? valueName : "";
  const auto found = open->key->values.find(FoldToUpper(name));
  if (found == open->key->values.end()) return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  const auto size = static_cast<DWORD>(value.data.size());
  if (type) *type = value.type;
  if (data == nullptr) {
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  const LONG fault = FaultFor(State().readFaults, name);
  if (fault != ERROR_SUCCESS) return fault;
  const DWORD capacity = *dataSize;
  *dataSize = size;
  if (capacity < size) return ERROR_MORE_DATA;
  if (size > 0) std::memcpy(data, value.data.data(), size);
  return ERROR_SUCCESS;
}

LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR, LPDWORD, LPDWORD, LPDWORD subKeys,
                         LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values,
                         LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD,
                         PFILETIME lastWriteTime) {
  const OpenKey* open = Lookup(key);
  RecordCall("RegQueryInfoKeyA " + (open ? open->key->path : std::string("?")));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  // Lengths are counted in characters, as the system counts them.
  DWORD longestKey = 0, longestName = 0, longestData = 0;
  for (const auto& entry : open->key->subkeys) {
    longestKey = std::max<DWORD>(longestKey, CharacterCount(entry.second->name));
  }
  for (const auto& entry : open->key->values) {
    longestName = std::max<DWORD>(longestName, CharacterCount(entry.second.name));
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

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR,
                      LPDWORD, PFILETIME) {
  const OpenKey* open = Lookup(key);
  RecordCall("RegEnumKeyExA " + (open ? open->key->path : std::string("?")));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if (open->key->deleted) return ERROR_KEY_DELETED;
  if ((open->granted & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
  if (name == nullptr || nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  if (index >= open->key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto entry = open->key->subkeys.begin();
  std::advance(entry, index);
  const std::string& found = entry->second->name;
  if (found.size() + 1 > *nameSize) return ERROR_MORE_DATA;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameSize = static_cast<DWORD>(found.size());
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteTreeA(HKEY base, LPCSTR subKey) {
  const OpenKey* open = nullptr;
  std::vector<std::string> names;
  LONG status = CheckedOpen(base, subKey, 0, open, names);
  RecordCall("RegDeleteTreeA " + JoinPath(open ? open->key->path : "?", subKey));
  if (status != ERROR_SUCCESS) return status;
  return DeleteTree(open->key, names, 0);
}

NTSTATUS NtDeleteKey(HANDLE handle) {
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
  const OpenKey* open = Lookup(key);
  RecordCall("RegDeleteValueA " + ValueLabel(open, valueName));
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  if ((open->granted & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  const auto erased = open->key->values.erase(FoldToUpper(valueName ? valueName : ""));
  return erased ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}
