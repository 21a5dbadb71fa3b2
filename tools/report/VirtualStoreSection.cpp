#include <algorithm>
#include <ostream>
#include <string>

#include "BrowserRegistry.h"
#include "InstallCheck.h"
#include "RegistryTree.h"
#include "Report.h"
#include "Sections.h"
#include "VirtualStore.h"

namespace {

const char kRemoveHint[] =
    "vorlinde-inspect.exe /RemoveVirtualized, or delete the key above in the Registry Editor";

void ReportOnlyCopy(Report& report) {
  report.Problem(
      "the extension key stands only in your VirtualStore: vorlinde.exe ran without "
      "administrative rights, Windows redirected its write there, and the browser will not "
      "show the button");
  report.Out() << "  What to do: remove the redirected copy (" << kRemoveHint
               << "), then run vorlinde.exe again as administrator.\n";
}

// Not a problem: a run as a user without administrative rights, the usual
// way to place the button for each user, leaves such a copy beside a
// machine key that stands. Counting it would make a deployment check fail
// and run the program again at every logon.
void ReportStrayCopy(Report& report) {
  report.Out() << "  Note: a stray copy of the extension key stands in your VirtualStore, left "
                  "by a run without administrative rights; the browser uses the machine's key "
                  "and ignores the copy. To tidy up: "
               << kRemoveHint << ".\n";
}

}  // namespace

void ReportVirtualStore(Report& report, bool machineKeyPresent) {
  const std::vector<RegistryTreeEntry> found = ExistingVirtualStoreCopies();
  const bool copies = std::any_of(found.begin(), found.end(), [](const RegistryTreeEntry& e) {
    return e.kind == RegistryTreeEntry::Kind::Key;
  });
  if (!copies) report.Out() << "Redirected copies in the VirtualStore: none\n";
  for (const RegistryTreeEntry& entry : found) {
    if (entry.kind == RegistryTreeEntry::Kind::Key) {
      report.Out() << "Redirected copy HKEY_CURRENT_USER" << entry.path << "\n";
    } else {  // never Windows' doing, and never followed
      report.Out() << "Registry link HKEY_CURRENT_USER" << entry.path << " to " << entry.target
                   << ": not a redirected copy; not followed\n";
    }
  }
  if (!copies) return;
  if (machineKeyPresent) {
    ReportStrayCopy(report);
  } else {
    ReportOnlyCopy(report);
  }
}

bool RemoveVirtualizedInstall(std::ostream& out) {
  out << "vorlinde-inspect /RemoveVirtualized: removes the redirected copies of the extension "
         "key\n\n";
  const std::vector<RegistryTreeEntry> copies = ExistingVirtualStoreCopies();
  if (copies.empty()) {
    out << "Nothing to remove: the VirtualStore holds no copy of the extension key.\n";
    return true;
  }
  bool removedAll = true;
  for (const RegistryTreeEntry& found : copies) {
    if (found.kind == RegistryTreeEntry::Kind::LinkAbove) {  // not the copy's own tree
      out << "Left alone " << DescribeVirtualStoreEntry(found)
          << ": it stands on the way to a copy's place, not in it\n";
      continue;
    }
    const bool removed = DeleteRegistryTree(RegistryRoot::CurrentUser, kVirtualStoreView,
                                            browserreg::kUserClassesKey, found.path);
    out << (removed ? "Removed " : "Could not remove ") << DescribeVirtualStoreEntry(found) << "\n";
    removedAll = removedAll && removed;
  }
  if (removedAll) {
    out << "\nNow run vorlinde.exe as administrator, then vorlinde-inspect.exe to check.\n";
  }
  return removedAll;
}
