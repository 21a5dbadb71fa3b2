#include "VirtualStoreCleanUp.h"

#include <string>
#include <vector>

#include "Actions.h"
#include "BrowserRegistry.h"
#include "MachinePart.h"
#include "RegistryTree.h"
#include "TextOut.h"
#include "VirtualStore.h"

namespace {

bool Delete(const std::string& path) {
  return DeleteRegistryTree(RegistryRoot::CurrentUser, kVirtualStoreView,
                            browserreg::kUserClassesKey, path);
}

}  // namespace

bool RemoveVirtualStoreCopies(TextOut& out) {
  bool removedAll = true;
  for (const std::string& path : ExistingVirtualStoreCopies()) {
    const bool removed = Delete(path);
    out << (removed ? "Removed" : "Could not remove") << " HKEY_CURRENT_USER" << path << "\n";
    removedAll = removedAll && removed;
  }
  // A link in a copy's place goes itself, never what it leads to; one on the
  // way there is no part of a copy.
  for (const RegistryTreeEntry& link : VirtualStoreLinks()) {
    if (link.kind == RegistryTreeEntry::Kind::LinkAbove) {
      out << "Left alone " << DescribeVirtualStoreLink(link)
          << ": it stands on the way to a copy's place, not in it\n";
      continue;
    }
    const bool removed = Delete(link.path);
    out << (removed ? "Removed " : "Could not remove ") << DescribeVirtualStoreLink(link) << "\n";
    removedAll = removedAll && removed;
  }
  return removedAll;
}

int RemoveVirtualizedInstall(TextOut& out) {
  out << "vorlinde-inspect /RemoveVirtualized: removes the redirected copies of the extension "
         "key\n\n";
  if (ExistingVirtualStoreCopies().empty() && VirtualStoreLinks().empty()) {
    out << "Nothing to remove: the VirtualStore holds no copy of the extension key.\n";
    return 0;
  }
  if (!RemoveVirtualStoreCopies(out)) return 1;
  out << "\nNow, " VORLINDE_WRITE_MACHINE_PART
         "; then, as this user, vorlinde-inspect.exe /FixLayout, and "
         "vorlinde-inspect.exe to check. (Not vorlinde.exe: its run without administrative "
         "rights added this account's entry already, and another run adds a second.)\n";
  return 0;
}
