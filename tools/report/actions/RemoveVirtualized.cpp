#include <string>
#include <vector>

#include "Actions.h"
#include "RegistryAccessor.h"
#include "TextOut.h"
#include "VirtualStore.h"
#include "VirtualStoreCleanUp.h"

bool RemoveVirtualStoreCopies(TextOut& out) {
  bool removedAll = true;
  RegistryAccessor registry(RegistryRights::Full, kVirtualStoreView);
  registry.SelectHive(RegistryRoot::CurrentUser);
  for (const std::string& path : ExistingVirtualStoreCopies()) {
    const bool removed = registry.DeleteSubkeyTree(path);
    out << (removed ? "Removed" : "Could not remove") << " HKEY_CURRENT_USER" << path << "\n";
    removedAll = removedAll && removed;
  }
  return removedAll;
}

int RemoveVirtualizedInstall(TextOut& out) {
  out << "vorlinde-inspect /RemoveVirtualized: removes the redirected copies of the extension "
         "key\n\n";
  if (ExistingVirtualStoreCopies().empty()) {
    out << "Nothing to remove: the VirtualStore holds no copy of the extension key.\n";
    return 0;
  }
  if (!RemoveVirtualStoreCopies(out)) return 1;
  out << "\nNow run vorlinde.exe as administrator, then vorlinde-inspect.exe to check.\n";
  return 0;
}
