#include <ostream>
#include <string>

#include "InstallCheck.h"
#include "RegistryAccessor.h"
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
  const std::vector<std::string> copies = ExistingVirtualStoreCopies();
  if (copies.empty()) {
    report.Out() << "Redirected copies in the VirtualStore: none\n";
    return;
  }
  for (const std::string& path : copies) {
    report.Out() << "Redirected copy HKEY_CURRENT_USER" << path << "\n";
  }
  if (machineKeyPresent) {
    ReportStrayCopy(report);
  } else {
    ReportOnlyCopy(report);
  }
}

bool RemoveVirtualizedInstall(std::ostream& out) {
  out << "vorlinde-inspect /RemoveVirtualized: removes the redirected copies of the extension "
         "key\n\n";
  const std::vector<std::string> copies = ExistingVirtualStoreCopies();
  if (copies.empty()) {
    out << "Nothing to remove: the VirtualStore holds no copy of the extension key.\n";
    return true;
  }
  bool removedAll = true;
  RegistryAccessor registry(RegistryRights::Full, kVirtualStoreView);
  registry.SelectHive(RegistryRoot::CurrentUser);
  for (const std::string& path : copies) {
    const bool removed = registry.DeleteSubkeyTree(path);
    out << (removed ? "Removed" : "Could not remove") << " HKEY_CURRENT_USER" << path << "\n";
    removedAll = removedAll && removed;
  }
  if (removedAll) {
    out << "\nNow run vorlinde.exe as administrator, then vorlinde-inspect.exe to check.\n";
  }
  return removedAll;
}
