// The Windows Installer package's custom actions, carried in its Binary
// table: they run from the package itself, so that an uninstall needs none
// of the installed files. Each runs deferred, with the installer's rights,
// and writes what it does to the install log; a failed step names itself
// there and fails the run (1603), which the installer then rolls back.
// No user's layout is theirs to change: that is the per-user agent's. The
// uninstall's removal alone fixes the layout of the account it runs as
// (SYSTEM's on Windows), as /Remove does for whoever runs it.
#include <string>

#include "Actions.h"
#include "AgentRegistration.h"
#include "BrowserRegistry.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "InstallerLog.h"
#include "InstallRecord.h"
#include "InstallerSession.h"
#include "KeyItself.h"
#include "MachineCheck.h"
#include "OwnExtensionKey.h"
#include "OwnRawResource.h"
#include "ResourceIds.h"
#include "TemporaryFile.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

// One step of an action: `body` answers whether it succeeded; a raised
// Exception fails it as well, with its message.
template <typename Body>
bool RunStep(TextOut& log, const char* step, Body body) {
  log << "Step: " << step << "\n";
  try {
    if (body()) return true;
    log << "Step failed: " << step << " (the lines above say why).\n";
  } catch (const Exception& e) {
    log << "Step failed: " << step << ": " << e.Message() << "\n";
  }
  return false;
}

// No exception may leave a DLL's entry: whatever escapes the steps fails
// the action, and the installer rolls back.
template <typename Steps>
unsigned RunAction(unsigned long handle, Steps steps) noexcept {
  try {
    const InstallerSession session(handle);
    InstallerLog log(session);
    return steps(session, log) ? kActionSucceeded : kActionFailed;
  } catch (...) {
    return kActionFailed;
  }
}

// The package passes the install folder, with its closing backslash, as the
// deferred action's data: a deferred action sees no other property.
std::string InstallFolder(const InstallerSession& session) {
  const std::string folder = session.Property("CustomActionData");
  if (folder.empty() || folder.back() != '\\') {
    throw EAssertionFailed("the package passed no install folder (\"" + folder + "\")");
  }
  return folder;
}

// The program's routine opens the key as every program does, so a registry
// link planted in its place would have the installer's account write our
// values wherever the link leads: it is named and left, and the step fails.
bool NoLinkInKeysPlace(TextOut& log) {
  const KeyItself own(RegistryRoot::LocalMachine, RegistryView::Own, browserreg::kExtensionsKey,
                      OwnExtensionKey(), false, RegistryRights::Read);
  if (own.Result() != KeyItself::Outcome::Link) return true;
  log << "PROBLEM: " << own.Problem() << ".\n"
      << "  What to do: have the link deleted itself (vorlinde-inspect.exe /Remove does that, "
         "never deleting what it leads to), then install again.\n";
  return false;
}

bool WriteExtensionKey(const std::string& folder, TextOut& log) {
  if (!NoLinkInKeysPlace(log)) return false;
  if (RegisterExtensionButton(folder, kButton.KeyGuid, kButton.ButtonCaption,
                              kButton.DefaultVisible, kButton.TargetUrl, kButton.IconFileName,
                              kButton.HotIconFileName, kButton.ButtonClsid)) {
    log << "HKEY_LOCAL_MACHINE" << OwnExtensionKey() << " written, icons in " << folder << "\n";
    return true;
  }
  log << "PROBLEM: HKEY_LOCAL_MACHINE" << OwnExtensionKey()
      << " could be neither opened nor created.\n"
      << "  What to do: check that the installing account may write under "
         "HKEY_LOCAL_MACHINE\\SOFTWARE, then repair the product.\n";
  return false;
}

}  // namespace

// The machine part, on install and repair: the extension key, written by the
// program's own routine with the icons in the install folder, checked as the
// inspector checks it, and then the per-user agent registered with a new
// Version, so that each user's layout gets the button at their next logon.
// The agent comes last: a failed check leaves its component as it stood
// (after a removal it may still owe some users their fix-up). A button that
// counted before the run is a repair or an upgrade of the same install.
extern "C" unsigned __stdcall RegisterMachinePart(unsigned long handle) {
  return RunAction(handle, [](const InstallerSession& session, TextOut& log) {
    std::string folder;
    bool newInstall = false;
    return RunStep(log, "reading the install folder",
                   [&] { return !(folder = InstallFolder(session)).empty(); }) &&
           RunStep(log, "listing the buttons of the class",
                   [&] {
                     newInstall = !ButtonCounted();
                     return true;
                   }) &&
           RunStep(log, "writing the extension key",
                   [&] { return WriteExtensionKey(folder, log); }) &&
           RunStep(log, "checking the machine part",
                   [&] { return InspectMachinePart(log) == 0; }) &&
           RunStep(log, "registering the per-user agent", [&] {
             RegisterAgent(folder + deployment::kAgentFileName, newInstall);
             log << "Active Setup runs " << AgentStubPath(folder + deployment::kAgentFileName)
                 << " at each user's next logon.\n";
             return true;
           });
  });
}

// The rollback of a run that created the extension key: it goes again. The
// package runs this only when its search found no key before the run, so a
// key that stood before a repair or an upgrade stays.
extern "C" unsigned __stdcall UndoMachinePart(unsigned long handle) {
  return RunAction(handle, [](const InstallerSession&, TextOut& log) {
    return RunStep(log, "deleting the extension key this run wrote",
                   [&] { return UndoInstall(log) == 0; });
  });
}

// The uninstall's removal, before anything is unregistered or deleted: the
// key goes, and every user's layout is fixed by the agent, which this DLL
// carries so that it needs no installed file.
extern "C" unsigned __stdcall RemoveMachinePart(unsigned long handle) {
  return RunAction(handle, [](const InstallerSession&, TextOut& log) {
    return RunStep(log, "taking the button out", [&] {
      const TemporaryFile agent(OwnRawResource(AGENT_RESOURCE_ID));
      return RemoveButton(log, agent.Path()) == 0;
    });
  });
}
