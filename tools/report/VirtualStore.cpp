#include "VirtualStore.h"

#include "BrowserRegistry.h"
#include "Sections.h"

// Windows shares the VirtualStore between the registry views, so the 64-bit
// view changes nothing there, and 32-bit Windows ignores it; Wine, though,
// redirects a 32-bit program below any key that has a WOW6432Node subkey,
// and would show both paths as the one copy in WOW6432Node.
VirtualStoreView::VirtualStoreView() : scope_(RegistryView::Bits64) {}

std::vector<std::string> VirtualStoreCopyPaths() {
  const std::string machinePath = OwnExtensionKey();
  return {browserreg::kVirtualStoreKey + machinePath,
          browserreg::kVirtualStoreKey + browserreg::InWow64Node(machinePath)};
}

std::vector<std::string> ExistingVirtualStoreCopies() {
  const VirtualStoreView view;
  std::vector<std::string> found;
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::CurrentUser);
  for (const std::string& path : VirtualStoreCopyPaths()) {
    if (registry.HasSubkey(path)) found.push_back(path);
  }
  return found;
}
