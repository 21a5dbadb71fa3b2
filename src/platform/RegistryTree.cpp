#include "RegistryTree.h"

#include <vector>

#include "Advapi32.h"
#include "RegistryViewFlags.h"
#include "RegistryWalk.h"
#include "WideText.h"
#include "Win32.h"

namespace {

// Enough for any key name: 255 UTF-16 units and the zero.
constexpr DWORD kLongestName = 255 + 1;
constexpr REGSAM kDeleteRights = kLookRights | DELETE;

using NtDeleteKeyFunction = LONG(WINAPI*)(HANDLE key);

HKEY AsKey(void* key) { return static_cast<HKEY>(key); }

std::vector<std::string> SubkeyNames(void* key) {
  std::vector<std::string> names;
  std::vector<WCHAR> name(kLongestName);
  for (DWORD i = 0;; ++i) {
    DWORD size = kLongestName;
    if (Advapi32().RegEnumKeyExW(AsKey(key), i, name.data(), &size, nullptr, nullptr, nullptr,
                                 nullptr) != ERROR_SUCCESS) {
      return names;
    }
    names.push_back(Utf8From(name.data(), size));
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
  if (!IsRegistryLink(key, target)) {
    for (const std::string& name : SubkeyNames(key)) {
      const ScopedRegistryKey below = OpenKeyAsItself(key, name, kDeleteRights | view);
      if (!below || !DeleteOpenKey(below.get(), view)) return false;
    }
  }
  return DeleteKeyItself(key);
}

}  // namespace

RegistryTreeEntry FindRegistryTree(RegistryRoot root, RegistryView view, const std::string& base,
                                   const std::string& path) {
  return WalkAsItself(root, view, base, path, kLookRights, false).entry;
}

bool DeleteRegistryTree(RegistryRoot root, RegistryView view, const std::string& base,
                        const std::string& path) {
  const RegistryWalk walked = WalkAsItself(root, view, base, path, kDeleteRights, false);
  switch (walked.entry.kind) {
    case RegistryTreeEntry::Kind::Key:
    case RegistryTreeEntry::Kind::Link:
      return DeleteOpenKey(walked.key.get(), ViewFlags(view));
    case RegistryTreeEntry::Kind::LinkAbove:
      return false;
    case RegistryTreeEntry::Kind::Missing:
      break;
  }
  // Gone, or there but refusing the rights to delete it, or even to look.
  return !walked.refused &&
         FindRegistryTree(root, view, base, path).kind == RegistryTreeEntry::Kind::Missing;
}
