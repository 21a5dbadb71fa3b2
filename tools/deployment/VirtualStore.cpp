#include "VirtualStore.h"

#include <algorithm>

#include "BrowserRegistry.h"
#include "OwnExtensionKey.h"

namespace {

// What stands in each copy's place, no registry link followed; each once.
std::vector<RegistryTreeEntry> VirtualStoreEntries() {
  std::vector<RegistryTreeEntry> found;
  for (const std::string& path : VirtualStoreCopyPaths()) {
    const RegistryTreeEntry entry = FindRegistryTree(RegistryRoot::CurrentUser, kVirtualStoreView,
                                                     browserreg::kUserClassesKey, path);
    const bool named = std::any_of(found.begin(), found.end(), [&](const RegistryTreeEntry& e) {
      return e.path == entry.path;
    });
    if (entry.kind != RegistryTreeEntry::Kind::Missing && !named) found.push_back(entry);
  }
  return found;
}

}  // namespace

std::vector<std::string> VirtualStoreCopyPaths() {
  const std::string machinePath = OwnExtensionKey();
  return {browserreg::kVirtualStoreKey + machinePath,
          browserreg::kVirtualStoreKey + browserreg::InWow64Node(machinePath)};
}

std::vector<std::string> ExistingVirtualStoreCopies() {
  std::vector<std::string> copies;
  for (const RegistryTreeEntry& entry : VirtualStoreEntries()) {
    if (entry.kind == RegistryTreeEntry::Kind::Key) copies.push_back(entry.path);
  }
  return copies;
}

std::vector<RegistryTreeEntry> VirtualStoreLinks() {
  std::vector<RegistryTreeEntry> links = VirtualStoreEntries();
  links.erase(std::remove_if(links.begin(), links.end(),
                             [](const RegistryTreeEntry& e) {
                               return e.kind == RegistryTreeEntry::Kind::Key;
                             }),
              links.end());
  return links;
}

std::string DescribeVirtualStoreLink(const RegistryTreeEntry& link) {
  return "the registry link HKEY_CURRENT_USER" + link.path + " to " + link.target;
}
