#include "RegistryTree.h"

#include <algorithm>
#include <vector>

#include "Win32.h"

namespace {

// The value a link keeps its target in; the registry follows a link only
// when it holds a REG_LINK there.
const char kLinkValue[] = "SymbolicLinkValue";
// Enough for any key name: 255 characters, two bytes each in a double-byte
// code page, and the zero.
constexpr DWORD kLongestName = 2 * 255 + 1;
// The read rights the accessor asks for (KEY_READ without KEY_NOTIFY).
constexpr REGSAM kLookRights = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr REGSAM kDeleteRights = kLookRights | DELETE;

using NtDeleteKeyFunction = LONG(WINAPI*)(HANDLE key);

HKEY AsKey(void* key) { return static_cast<HKEY>(key); }

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// `name` below `parent`, opened as itself: a link there is opened, not
// followed (the option governs the last name only, so one name at a time).
ScopedRegistryKey OpenItself(void* parent, const std::string& name, REGSAM rights,
                             LONG* status = nullptr) {
  HKEY key = nullptr;
  const LONG result =
      RegOpenKeyExA(AsKey(parent), name.c_str(), REG_OPTION_OPEN_LINK, rights, &key);
  if (status != nullptr) *status = result;
  if (result != ERROR_SUCCESS) return ScopedRegistryKey();
  return ScopedRegistryKey(key);
}

// Whether `key`, opened as itself, is a link; if so, its target in ASCII
// ("?" for any other character).
bool IsLink(void* key, std::string& target) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(AsKey(key), kLinkValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_LINK) {
    return false;
  }
  std::vector<BYTE> data(size);
  target = "?";  // unless it reads
  if (RegQueryValueExA(AsKey(key), kLinkValue, nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS) {
    return true;
  }
  target.clear();
  for (DWORD i = 0; i + 1 < size; i += 2) {  // UTF-16, little end first
    const unsigned unit = data[i] | (data[i + 1] << 8);
    target += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return true;
}

std::vector<std::string> SubkeyNames(void* key) {
  std::vector<std::string> names;
  std::vector<char> name(kLongestName);
  for (DWORD i = 0;; ++i) {
    DWORD size = kLongestName;
    if (RegEnumKeyExA(AsKey(key), i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      return names;
    }
    names.emplace_back(name.data(), size);
  }
}

// The one call that deletes the key a handle stands for, so a link opened
// as itself goes and its target stays; RegDeleteKey and RegDeleteTree open
// by name, through links. ntdll is loaded in every process.
bool DeleteKeyItself(void* key) {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const FARPROC found = ntdll != nullptr ? GetProcAddress(ntdll, "NtDeleteKey") : nullptr;
  if (found == nullptr) return false;
  const auto deleteKey = reinterpret_cast<NtDeleteKeyFunction>(reinterpret_cast<void (*)()>(found));
  return deleteKey(key) >= 0;  // an NTSTATUS: success and information are not negative
}

// Deletes `key`, opened as itself with delete rights, and what is below it.
bool DeleteOpenKey(void* key, REGSAM view) {
  std::string target;
  if (!IsLink(key, target)) {
    for (const std::string& name : SubkeyNames(key)) {
      const ScopedRegistryKey below = OpenItself(key, name, kDeleteRights | view);
      if (!below || !DeleteOpenKey(below.get(), view)) return false;
    }
  }
  return DeleteKeyItself(key);
}

struct Walked {
  RegistryTreeEntry entry;
  ScopedRegistryKey key;  // the key or the link in the key's place, opened as itself
  bool refused = false;   // a key on the way stands but would not open
};

// Opens `base`, then each key from there down to `path` as itself, the last
// one with `rights`; stops at the first link.
Walked Walk(RegistryRoot root, RegistryView view, const std::string& base, const std::string& path,
            REGSAM rights) {
  Walked walked;
  const auto flags = static_cast<REGSAM>(view);
  if (base.empty() || path.compare(0, base.size() + 1, base + "\\") != 0) return walked;
  // The one key opened through links: those the system lays out above it.
  HKEY opened = nullptr;
  const LONG baseStatus =
      RegOpenKeyExA(RootKey(root), base.c_str() + 1, 0, kLookRights | flags, &opened);
  if (baseStatus != ERROR_SUCCESS) {
    walked.refused = baseStatus != ERROR_FILE_NOT_FOUND && baseStatus != ERROR_PATH_NOT_FOUND;
    return walked;
  }
  ScopedRegistryKey key(opened);
  for (std::size_t start = base.size() + 1; start <= path.size();) {
    const std::size_t cut = std::min(path.find('\\', start), path.size());
    const bool last = cut == path.size();
    if (cut == start) return walked;  // an empty name
    const std::string at = path.substr(0, cut);
    LONG status = ERROR_SUCCESS;
    ScopedRegistryKey below = OpenItself(key.get(), path.substr(start, cut - start),
                                         (last ? rights : kLookRights) | flags, &status);
    if (!below) {
      walked.refused = status != ERROR_FILE_NOT_FOUND && status != ERROR_PATH_NOT_FOUND;
      return walked;
    }
    std::string target;
    if (IsLink(below.get(), target)) {
      walked.entry = {last ? RegistryTreeEntry::Kind::Link : RegistryTreeEntry::Kind::LinkAbove, at,
                      target};
      if (last) walked.key = std::move(below);
      return walked;
    }
    key = std::move(below);
    start = cut + 1;
  }
  walked.entry = {RegistryTreeEntry::Kind::Key, path, ""};
  walked.key = std::move(key);
  return walked;
}

}  // namespace

RegistryTreeEntry FindRegistryTree(RegistryRoot root, RegistryView view, const std::string& base,
                                   const std::string& path) {
  return Walk(root, view, base, path, kLookRights).entry;
}

bool DeleteRegistryTree(RegistryRoot root, RegistryView view, const std::string& base,
                        const std::string& path) {
  const Walked walked = Walk(root, view, base, path, kDeleteRights);
  switch (walked.entry.kind) {
    case RegistryTreeEntry::Kind::Key:
    case RegistryTreeEntry::Kind::Link:
      return DeleteOpenKey(walked.key.get(), static_cast<REGSAM>(view));
    case RegistryTreeEntry::Kind::LinkAbove:
      return false;
    case RegistryTreeEntry::Kind::Missing:
      break;
  }
  // Gone, or there but refusing the rights to delete it, or even to look.
  return !walked.refused &&
         FindRegistryTree(root, view, base, path).kind == RegistryTreeEntry::Kind::Missing;
}
