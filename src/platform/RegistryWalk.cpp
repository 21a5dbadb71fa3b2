#include "RegistryWalk.h"

#include <algorithm>
#include <vector>

#include "Advapi32.h"
#include "RegistryViewFlags.h"
#include "WideText.h"
#include "Win32.h"

namespace {

// The value a link keeps its target in; the registry follows a link only
// when it holds a REG_LINK there.
const char kLinkValue[] = "SymbolicLinkValue";

static_assert(kLookRights == (STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS),
              "the rights to look");

HKEY AsKey(void* key) { return static_cast<HKEY>(key); }

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool IsMissing(LONG status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

LONG Create(HKEY parent, const WideText& name, REGSAM rights, HKEY& key) {
  DWORD disposition = 0;
  return Advapi32().RegCreateKeyExW(parent, name.data(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    rights, nullptr, &key, &disposition);
}

// The base through the links the system lays out, as every program opens it.
LONG OpenBase(RegistryRoot root, const std::string& base, REGSAM rights, bool create, HKEY& key) {
  key = nullptr;
  const WideText name = Widen(base.substr(1));
  return create ? Create(RootKey(root), name, rights, key)
                : Advapi32().RegOpenKeyExW(RootKey(root), name.data(), 0, rights, &key);
}

// `name` below `parent` as itself; created when missing and `create`.
LONG OpenOrCreate(HKEY parent, const std::string& name, REGSAM rights, bool create, HKEY& key) {
  key = nullptr;
  const WideText wideName = Widen(name);
  const LONG status =
      Advapi32().RegOpenKeyExW(parent, wideName.data(), REG_OPTION_OPEN_LINK, rights, &key);
  if (!IsMissing(status) || !create) return status;
  return Create(parent, wideName, rights, key);
}

void EndShort(RegistryWalk& walk, LONG status) {
  walk.refused = !IsMissing(status);
  walk.status = static_cast<std::uint32_t>(status);
}

}  // namespace

RegistryWalk WalkAsItself(RegistryRoot root, RegistryView view, const std::string& base,
                          const std::string& path, std::uint32_t lastRights, bool create) {
  RegistryWalk walk;
  const REGSAM flags = ViewFlags(view);
  const REGSAM way = kLookRights | (create ? KEY_CREATE_SUB_KEY : 0) | flags;
  if (base.empty() || path.compare(0, base.size() + 1, base + "\\") != 0) {
    EndShort(walk, ERROR_FILE_NOT_FOUND);
    return walk;
  }
  HKEY opened = nullptr;
  LONG status = OpenBase(root, base, way, create, opened);
  ScopedRegistryKey key(status == ERROR_SUCCESS ? opened : nullptr);
  for (std::size_t start = base.size() + 1; status == ERROR_SUCCESS && start <= path.size();) {
    const std::size_t cut = std::min(path.find('\\', start), path.size());
    const bool last = cut == path.size();
    if (cut == start) status = ERROR_FILE_NOT_FOUND;  // an empty name
    if (status != ERROR_SUCCESS) break;
    status = OpenOrCreate(AsKey(key.get()), path.substr(start, cut - start),
                          last ? lastRights | flags : way, create, opened);
    if (status != ERROR_SUCCESS) break;
    ScopedRegistryKey below(opened);
    std::string target;
    if (IsRegistryLink(below.get(), target)) {
      walk.entry = {last ? RegistryTreeEntry::Kind::Link : RegistryTreeEntry::Kind::LinkAbove,
                    path.substr(0, cut), target};
      if (last) walk.key = std::move(below);
      return walk;
    }
    key = std::move(below);
    start = cut + 1;
  }
  if (status != ERROR_SUCCESS) {
    EndShort(walk, status);
    return walk;
  }
  walk.entry = {RegistryTreeEntry::Kind::Key, path, ""};
  walk.key = std::move(key);
  return walk;
}

ScopedRegistryKey OpenKeyAsItself(void* parent, const std::string& name, std::uint32_t rights) {
  HKEY key = nullptr;
  if (Advapi32().RegOpenKeyExW(AsKey(parent), Widen(name).data(), REG_OPTION_OPEN_LINK, rights,
                               &key) != ERROR_SUCCESS) {
    return ScopedRegistryKey();
  }
  return ScopedRegistryKey(key);
}

bool IsRegistryLink(void* key, std::string& target) {
  const WideText valueName = Widen(kLinkValue);
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (Advapi32().RegQueryValueExW(AsKey(key), valueName.data(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      type != REG_LINK) {
    return false;
  }
  std::vector<WCHAR> data(size / sizeof(WCHAR) + 1, 0);
  target = "?";  // unless it reads
  if (Advapi32().RegQueryValueExW(AsKey(key), valueName.data(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return true;
  }
  target = Utf8From(data.data(), size / sizeof(WCHAR));  // kept without a zero
  return true;
}
