// /Remove as steps that can be run again: each run finds what a stopped one
// left and completes it. The machine's part first (the record of what goes,
// then the key), then what reaches the other users (the agent's component),
// then this user's layout; exit 0 only when every step succeeded.
#include <string>

#include "Actions.h"
#include "AgentRegistration.h"
#include "BrowserRegistry.h"
#include "ComponentCleanUp.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "FileCopy.h"
#include "InstallRecord.h"
#include "KeyItself.h"
#include "MachineTurn.h"
#include "OwnExtensionKey.h"
#include "PerUserAgent.h"
#include "RecordKeeping.h"
#include "RegistryAccessor.h"
#include "RegistryTree.h"
#include "RemovalRecord.h"
#include "RemovalRights.h"
#include "SameClassButtons.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "VirtualStoreCleanUp.h"

namespace {

using namespace deployment;

const char kNothingChanged[] = "Nothing was changed.\n";
const char kUndoNeedsElevation[] =
    "Undoing the install needs an elevated run: nothing was changed.";

std::string CommonFilesFolder() {
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.OpenSubkey(kWindowsCurrentVersionKey, false)) return std::string();
  return registry.ReadText(kCommonFilesDirValue);
}

std::string AgentFolder() {
  const std::string commonFiles = CommonFilesFolder();
  if (commonFiles.empty()) throw EOSError("the system names no Common Files folder", 3);
  return DirectoryWithBackslash(commonFiles + "\\") + kAgentFolderName;
}

std::string CommonFilesAgentPath() { return AgentFolder() + "\\" + kAgentFileName; }

// The agent must outlive the folder the removal runs from: a copy in Common
// Files, which only administrators may change, is what Active Setup runs.
std::string PlaceAgentCopy(const std::string& source) {
  if (!FileExists(source)) throw EOSError(source + " is missing", 2);
  EnsureFolder(AgentFolder());
  const std::string target = CommonFilesAgentPath();
  CopyFileReplacing(source, target);
  return target;
}

// Never through a link: one planted in the key's place or below it goes
// itself, and what it leads to stays.
bool DeleteExtensionKey() {
  return DeleteRegistryTree(RegistryRoot::LocalMachine, RegistryView::Own,
                            browserreg::kExtensionsKey, OwnExtensionKey());
}

std::string OwnKeyName() { return "HKEY_LOCAL_MACHINE" + OwnExtensionKey(); }

// The record first, with the stamp this removal is to have: a stop after
// the key is gone leaves what the next run needs to finish. The stamp the
// agent reads is raised only once the key is gone.
bool RemoveCountedButton(TextOut& out, const SameClassButtons& buttons, std::string& agentCopy,
                         const std::string& agentSource) {
  const std::int32_t removedId = FirstCustomCommandId + buttons.ownPosition;
  out << "The button stands with command id " << removedId << "; "
      << (buttons.others.size() - static_cast<std::size_t>(buttons.ownPosition))
      << " later button(s) of its class move one id down.\n";
  if (!MayRemove(out)) return false;
  try {
    agentCopy = PlaceAgentCopy(agentSource);
  } catch (const Exception& e) {
    out << "The per-user agent cannot be put in place (" << e.Message() << "). " << kNothingChanged;
    return false;
  }
  const EventStamp planned = NewEventStamp();
  const InstallRecord install = ReadInstallRecord();
  const bool known = install.damage.empty() && !install.adopted;
  WriteRemovalPlan(removedId, buttons.ownPosition, buttons.others,
                   known ? install.stamp : EventStamp{}, planned);
  if (!DeleteExtensionKey()) {
    out << "The registry refused to delete " << OwnKeyName()
        << ": nothing was removed, and no removal is recorded.\n";
    return false;
  }
  out << "Removed " << OwnKeyName() << "\n";
  FinishRemoval(planned);
  return true;
}

// A key the browser does not count as a button of the class shifts no one:
// it goes, and no removal is recorded for the other users.
bool RemoveUncountedKey(TextOut& out) {
  const RegistryTreeEntry found = FindRegistryTree(RegistryRoot::LocalMachine, RegistryView::Own,
                                                   browserreg::kExtensionsKey, OwnExtensionKey());
  const bool link = found.kind == RegistryTreeEntry::Kind::Link;
  out << (link ? "The registry link " + OwnKeyName() + " to " + found.target +
                     " stands in the button's key's place"
               : OwnKeyName() +
                     " is no button of its class (its clsid, text or icon is "
                     "missing or other), so the browser gives it no command id")
      << ": no other button's id changes.\n";
  if (!MayRemove(out)) return false;
  if (!DeleteExtensionKey()) {
    out << "The registry refused to delete " << OwnKeyName() << ".\n";
    return false;
  }
  out << (link ? "Deleted the link itself; what it leads to stays.\n" : "Removed it.\n");
  return true;
}

// Completes a removal whose key is gone but whose stamp was not yet raised.
RemovalRecord FinishedRecord(const SameClassButtons& buttons) {
  RemovalRecord record = ReadRemovalRecord();
  if (record.damage.empty() && record.stamp < record.planned && !buttons.ownKeyListed) {
    FinishRemoval(record.planned);
    record.stamp = record.planned;
  }
  return record;
}

// The other users' part: the agent's component at the removal's stamp, or,
// with no removal recorded, no component at all.
bool ReachOtherUsers(TextOut& out, const RemovalRecord& record, std::string agentCopy,
                     const std::string& agentSource) {
  if (!record.damage.empty()) {
    out << "The removal record cannot be used (" << record.damage
        << "): no other user's layout is fixed from it.\n";
    return false;
  }
  if (record.stamp.IsNone()) return UnregisterOwnComponent(out);
  const AgentComponent component = ReadAgentComponent();
  try {
    const std::string target = CommonFilesAgentPath();
    const bool standing = component.version == record.stamp &&
                          component.stubPath == AgentStubPath(target) && FileExists(target);
    if (!standing) {
      if (agentCopy.empty()) agentCopy = PlaceAgentCopy(agentSource);
      RegisterAgentForEvent(agentCopy, record.stamp);
    }
    out << "Each other user's layout is fixed at their next logon (Active Setup runs " << target
        << ", Version " << record.stamp.Text() << ").\n";
    return true;
  } catch (const Exception& e) {
    out << "The other users' fix-up cannot be registered (" << e.Message()
        << "): run the removal again to finish it.\n";
    return false;
  }
}

}  // namespace

int RemoveButton(TextOut& out, const std::string& agentSource) {
  out << "Removal: takes the button out for every user\n\n";
  const MachineTurn turn;
  if (!turn.Held(out, kRemovalNeedsElevation)) return 1;
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
    std::string agentCopy;
    if (buttons.ownPosition >= 0) {
      if (!RemoveCountedButton(out, buttons, agentCopy, agentSource)) return 1;
      buttons.ownKeyListed = false;
    } else if (buttons.ownKeyListed) {
      if (!RemoveUncountedKey(out)) return 1;
      buttons.ownKeyListed = false;
    } else {
      out << "The button is not installed on this machine: nothing to remove there.\n";
    }
    bool done = UnregisterOtherComponents(out);
    done = ReachOtherUsers(out, FinishedRecord(buttons), agentCopy, agentSource) && done;
    done = BringThisUsersLayoutInLine(out) && done;
    done = RemoveVirtualStoreCopies(out) && done;
    return done ? 0 : 1;
  } catch (const Exception& e) {
    out << "The removal stopped: " << e.Message() << "\n";
    return 1;
  }
}

// No record and no fix-ups: no other user's layout ever saw the button, and
// once its key is gone their entries match the ids again as they stand.
int UndoInstall(TextOut& out) {
  out << "Undoing the install: deletes the extension key of an install that did not "
         "complete\n\n";
  const MachineTurn turn;
  if (!turn.Held(out, kUndoNeedsElevation)) return 1;
  if (!DeleteExtensionKey()) {
    out << "The registry refused to delete HKEY_LOCAL_MACHINE" << OwnExtensionKey() << ".\n";
    return 1;
  }
  EndInstallUnderWay();
  out << "HKEY_LOCAL_MACHINE" << OwnExtensionKey() << " is gone.\n";
  return 0;
}

int FixLayout(TextOut& out) {
  try {
    return BringThisUsersLayoutInLine(out) ? 0 : 1;
  } catch (const Exception& e) {
    out << "The layout could not be brought in line: " << e.Message() << "\n";
    return 1;
  }
}
