#include <string>

#include "Actions.h"
#include "BrowserRegistry.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "FileCopy.h"
#include "LayoutFixUp.h"
#include "OwnExtensionKey.h"
#include "RegistryAccessor.h"
#include "RegistryTree.h"
#include "RemovalRecord.h"
#include "SameClassButtons.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "VirtualStoreCleanUp.h"

namespace {

using namespace deployment;

const char kNothingChanged[] = "Nothing was changed.\n";

// A standard user may read the keys but not delete them; asking first keeps
// a refused removal from leaving half its work done. Opens only: the check
// itself changes nothing.
bool MayRemove() {
  RegistryAccessor registry(RegistryRights::Full);
  registry.SelectHive(RegistryRoot::LocalMachine);
  return registry.OpenSubkey(OwnExtensionKey(), false) &&
         registry.OpenSubkey(deployment::kActiveSetupKey, false);
}

std::string CommonFilesFolder() {
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.OpenSubkey(kWindowsCurrentVersionKey, false)) return std::string();
  return registry.ReadText(kCommonFilesDirValue);
}

// The fix-up must outlive the folder the removal runs from: a copy in Common
// Files, which only administrators may change, is what Active Setup runs.
std::string PlaceFixUpProgram(const std::string& source) {
  if (!FileExists(source)) throw EOSError(source + " is missing", 2);
  const std::string commonFiles = CommonFilesFolder();
  if (commonFiles.empty()) throw EOSError("the system names no Common Files folder", 3);
  const std::string folder = DirectoryWithBackslash(commonFiles + "\\") + kFixUpFolderName;
  EnsureFolder(folder);
  const std::string target = folder + "\\" + kAgentFileName;
  CopyFileReplacing(source, target);
  return target;
}

// Never through a link: one planted in the key's place or below it goes
// itself, and what it leads to stays.
bool DeleteExtensionKey() {
  return DeleteRegistryTree(RegistryRoot::LocalMachine, RegistryView::Own,
                            browserreg::kExtensionsKey, OwnExtensionKey());
}

int RemoveInstalledButton(TextOut& out, const SameClassButtons& buttons,
                          const std::string& agentSource) {
  const std::int32_t removedId = FirstCustomCommandId + buttons.ownPosition;
  out << "The button stands with command id " << removedId << "; "
      << (buttons.others.size() - static_cast<std::size_t>(buttons.ownPosition))
      << " later button(s) of its class move one id down.\n";
  if (!MayRemove()) {
    out << "Removal needs an elevated run: open a command prompt with \"Run as administrator\" "
           "and run vorlinde-inspect.exe /Remove there. "
        << kNothingChanged;
    return 1;
  }
  std::string fixUp;
  try {
    fixUp = PlaceFixUpProgram(agentSource);
  } catch (const Exception& e) {
    out << "The per-user fix-up cannot be put in place (" << e.Message() << "). "
        << kNothingChanged;
    return 1;
  }
  const RemovalRecord record = WriteRemovalRecord(removedId, buttons.ownPosition, buttons.others);
  if (!DeleteExtensionKey()) {
    out << "The registry refused to delete HKEY_LOCAL_MACHINE" << OwnExtensionKey() << ".\n";
    return 1;
  }
  out << "Removed HKEY_LOCAL_MACHINE" << OwnExtensionKey() << "\n";
  RegisterFixUp(fixUp, record.serial);
  out << "Each other user's layout is fixed at their next logon (Active Setup runs " << fixUp
      << ").\n";
  if (UnregisterPlacement()) {
    out << "The per-user placement (Active Setup component \"" << kPlacementComponent
        << "\") is unregistered.\n";
  }
  FixUpThisUsersLayout(out);
  return RemoveVirtualStoreCopies(out) ? 0 : 1;
}

}  // namespace

int RemoveButton(TextOut& out, const std::string& agentSource) {
  out << "vorlinde-inspect /Remove: takes the button out for every user\n\n";
  SameClassButtons buttons;
  try {
    RegistryAccessor machine(RegistryRights::Read);
    machine.SelectHive(RegistryRoot::LocalMachine);
    buttons = ListSameClassButtons(machine);
  } catch (const Exception& e) {
    out << "The extension keys cannot be listed (" << e.Message() << "). " << kNothingChanged;
    return 1;
  }
  try {
    if (buttons.ownPosition >= 0) return RemoveInstalledButton(out, buttons, agentSource);
    out << "The button is not installed on this machine: nothing to remove there.\n";
    FixUpThisUsersLayout(out);
    return RemoveVirtualStoreCopies(out) ? 0 : 1;
  } catch (const Exception& e) {
    out << "The removal stopped: " << e.Message() << "\n";
    return 1;
  }
}

// No record and no fix-ups: no other user's layout ever saw the button, and
// once its key is gone their entries match the ids again as they stand.
int UndoInstall(TextOut& out) {
  out << "vorlinde-inspect /UndoInstall: deletes the extension key of an install that did "
         "not complete\n\n";
  if (!DeleteExtensionKey()) {
    out << "The registry refused to delete HKEY_LOCAL_MACHINE" << OwnExtensionKey() << ".\n";
    return 1;
  }
  out << "HKEY_LOCAL_MACHINE" << OwnExtensionKey() << " is gone.\n";
  return 0;
}

int FixLayout(TextOut& out) {
  try {
    return FixUpThisUsersLayout(out) ? 0 : 1;
  } catch (const Exception& e) {
    out << "The fix-up stopped: " << e.Message() << "\n";
    return 1;
  }
}
