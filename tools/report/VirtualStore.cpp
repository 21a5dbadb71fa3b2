#include "VirtualStore.h"

#include <algorithm>

#include "BrowserRegistry.h"
#include "Sections.h"

std::vector<std::string> VirtualStoreCopyPaths() {
  const std::string machinePath = OwnExtensionKey();
  return {browserreg::kVirtualStoreKey + machinePath,
          browserreg::kVirtualStoreKey + browserreg::InWow64Node(machinePath)};
}

std::vector<RegistryTreeEntry> ExistingVirtualStoreCopies() {
  std::vector<RegistryTreeEntry> found;
  for (const std::string& path : VirtualStoreCopyPaths()) {
    RegistryTreeEntry entry = FindRegistryTree(RegistryRoot::CurrentUser, kVirtualStoreView,
                                               browserreg::kUserClassesKey, path);
    const bool named = std::any_of(found.begin(), found.end(), [&](const RegistryTreeEntry& e) {
      return e.path == entry.path;
    });
    if (entry.kind != RegistryTreeEntry::Kind::Missing && !named) found.push_back(entry);
  }
  return found;
}

std::string DescribeVirtualStoreEntry(const RegistryTreeEntry& entry) {
  const std::string key = "HKEY_CURRENT_USER" + entry.path;
  if (entry.kind == RegistryTreeEntry::Kind::Key) return key;
  return "the registry link " + key + " to " + entry.target;
}
