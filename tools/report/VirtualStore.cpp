#include "VirtualStore.h"

#include "BrowserRegistry.h"
#include "Sections.h"

std::vector<std::string> VirtualStoreCopyPaths() {
  const std::string machinePath = OwnExtensionKey();
  return {browserreg::kVirtualStoreKey + machinePath,
          browserreg::kVirtualStoreKey + browserreg::InWow64Node(machinePath)};
}

std::vector<std::string> ExistingVirtualStoreCopies() {
  std::vector<std::string> found;
  RegistryAccessor registry(RegistryRights::Read, kVirtualStoreView);
  registry.SelectHive(RegistryRoot::CurrentUser);
  for (const std::string& path : VirtualStoreCopyPaths()) {
    if (registry.HasSubkey(path)) found.push_back(path);
  }
  return found;
}
