#include "VirtualStore.h"

#include "BrowserRegistry.h"
#include "RegistryAccessor.h"
#include "Sections.h"

namespace {

// "\SOFTWARE\Microsoft\..." as "\SOFTWARE\WOW6432Node\Microsoft\...".
std::string InWow64Node(const std::string& machinePath) {
  const std::size_t afterSoftware = machinePath.find('\\', 1);
  return machinePath.substr(0, afterSoftware) + "\\" + browserreg::kWow64Node +
         machinePath.substr(afterSoftware);
}

}  // namespace

std::vector<std::string> VirtualStoreCopyPaths() {
  const std::string machinePath = OwnExtensionKey();
  return {browserreg::kVirtualStoreKey + machinePath,
          browserreg::kVirtualStoreKey + InWow64Node(machinePath)};
}

std::vector<std::string> ExistingVirtualStoreCopies() {
  std::vector<std::string> found;
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::CurrentUser);
  for (const std::string& path : VirtualStoreCopyPaths()) {
    if (registry.HasSubkey(path)) found.push_back(path);
  }
  return found;
}
