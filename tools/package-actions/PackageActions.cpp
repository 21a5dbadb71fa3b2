// The Windows Installer package's custom actions, carried in its Binary
// table: they run from the package itself, so that an uninstall needs none
// of the installed files. Each runs deferred, with the installer's rights,
// and writes what it does to the install log; a failed step names itself
// there and fails the run (1603), which the installer then rolls back.
// No user's layout is theirs to change: that is the per-user agent's. The
// uninstall's removal alone fixes the layout of the account it runs as
// (SYSTEM's on Windows), as /Remove does for whoever runs it.
#include <string>

#include "ActionStep.h"
#include "Actions.h"
#include "Exceptions.h"
#include "InstallerLog.h"
#include "InstallerSession.h"
#include "MachineCheck.h"
#include "MachinePart.h"
#include "OwnRawResource.h"
#include "ResourceIds.h"
#include "TemporaryFile.h"

namespace {

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

}  // namespace

// The machine part, on install and repair, as /InstallMachinePart writes it
// (MachinePart.h), with the icons and the agent in the install folder.
extern "C" unsigned __stdcall RegisterMachinePart(unsigned long handle) {
  return RunAction(handle, [](const InstallerSession& session, TextOut& log) {
    std::string folder;
    return RunStep(log, "reading the install folder",
                   [&] { return !(folder = InstallFolder(session)).empty(); }) &&
           WriteMachinePart(log, folder, InspectMachinePart);
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
