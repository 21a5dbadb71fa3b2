#include "MachinePart.h"

#include <vector>

#include "ActionStep.h"
#include "AgentRegistration.h"
#include "BrowserRegistry.h"
#include "ComponentCleanUp.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "InstallRecord.h"
#include "OwnExtensionKey.h"
#include "KeyItself.h"
#include "MachineTurn.h"
#include "ProcessAccount.h"
#include "SameClassButtons.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

#define VORLINDE_ELEVATE                                                         \
  "  What to do: open a command prompt with \"Run as administrator\" and run " \
  "vorlinde-inspect.exe /InstallMachinePart there."

const char kWriteNeedsElevation[] =
    "PROBLEM: only an elevated run may write the machine part.\n" VORLINDE_ELEVATE;

void SayWhyNotWritten(TextOut& out, const KeyItself& key) {
  out << "PROBLEM: " << key.Problem() << ".\n";
  if (key.Result() == KeyItself::Outcome::Link) {
    out << "  What to do: have the link deleted itself (vorlinde-inspect.exe /Remove does that, "
           "never deleting what it leads to), then install again.\n";
  } else if (CurrentElevation() != Elevation::Elevated) {
    out << VORLINDE_ELEVATE "\n";
  } else {
    out << "  What to do: check that this account may write under HKEY_LOCAL_MACHINE\\SOFTWARE, "
           "then install again.\n";
  }
}

// The key is opened, or created, as itself, and the values go through that
// very handle: a link in its place, planted before or after any look at it,
// is never written through.
bool WriteExtensionKey(TextOut& out, const std::string& folder) {
  KeyItself key(RegistryRoot::LocalMachine, RegistryView::Own, browserreg::kExtensionsKey,
                OwnExtensionKey(), true, RegistryRights::Full);
  if (!key.IsOpen()) {
    SayWhyNotWritten(out, key);
    return false;
  }
  for (const ExtensionKeyValue& value : ExtensionButtonValues(
           folder, kButton.ButtonCaption, kButton.DefaultVisible, kButton.TargetUrl,
           kButton.IconFileName, kButton.HotIconFileName, kButton.ButtonClsid)) {
    key.WriteText(value.name, value.text);
  }
  out << key.Name() << " written, icons in " << folder << "\n";
  return true;
}

// Asked before the key is written: a button that counted already is a
// repair or an upgrade of the install whose record stands, unless it is
// this install's own key, written before a stop. A malformed key
// of another button stops the install here, before anything is written, and
// the log says what to do about it.
bool ListButtons(TextOut& out, bool& newInstall) {
  try {
    newInstall = !ButtonCounted() || ReadInstallRecord().underWay;
    return true;
  } catch (const ERegistryException& e) {
    out << "PROBLEM: another extension key is malformed (" << e.Message()
        << "), so the buttons before this one cannot be counted.\n"
        << "  What to do: " << kMalformedButtonKeyAdvice << " Then install again.\n";
    return false;
  }
}

// Before the key: a run stopped after it is still this new install's when
// it is run again.
bool MarkedUnderWay() {
  MarkInstallUnderWay();
  return true;
}

// A key that could not be written begins no install.
bool NotBegun() {
  EndInstallUnderWay();
  return false;
}

bool RegisterAgentIn(TextOut& out, const std::string& folder, bool newInstall) {
  const std::string agent = folder + deployment::kAgentFileName;
  const EventStamp stamp = RegisterAgent(agent, newInstall);
  out << "Active Setup runs " << AgentStubPath(agent) << " at each user's next logon ("
      << ComponentKeyName(PlacementComponent()) << ", Version " << stamp.Text() << ").\n";
  return UnregisterLegacyPlacementComponent(out);
}

}  // namespace

bool WriteMachinePart(TextOut& out, const std::string& folder, MachinePartCheck check) {
  const MachineTurn turn;
  bool newInstall = false;
  return RunStep(out, "claiming the machine's turn",
                 [&] { return turn.Held(out, kWriteNeedsElevation); }) &&
         RunStep(out, "listing the buttons of the class",
                 [&] { return ListButtons(out, newInstall); }) &&
         RunStep(out, "noting the install under way",
                 [&] { return !newInstall || MarkedUnderWay(); }) &&
         RunStep(out, "writing the extension key",
                 [&] { return WriteExtensionKey(out, folder) || (newInstall && NotBegun()); }) &&
         RunStep(out, "checking the machine part", [&] { return check(out) == 0; }) &&
         RunStep(out, "registering the per-user agent",
                 [&] { return RegisterAgentIn(out, folder, newInstall); });
}
