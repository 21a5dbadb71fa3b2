// /RenewIdentity. A machine made from an image of another keeps that
// machine's identity, and with it the name of its Active Setup component,
// so that the per-user copies of the two machines' events roam as one. A new
// identity, and the component under its name with its program and Version
// as they stood: each user's agent runs once more at their next logon, and
// their note, which names no identity, keeps each event it dealt with done.
#include <string>

#include "Actions.h"
#include "AgentRegistration.h"
#include "ComponentCleanUp.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "MachineTurn.h"
#include "NewGuid.h"
#include "ProcessAccount.h"
#include "TextOut.h"

namespace {

using namespace deployment;

const char kRenewalNeedsElevation[] =
    "Renewing the identity needs an elevated run: open a command prompt with \"Run as "
    "administrator\" and run vorlinde-inspect.exe /RenewIdentity there. Nothing was changed.\n";

bool Elevated(TextOut& out) {
  if (CurrentElevation() == Elevation::Elevated) return true;
  out << kRenewalNeedsElevation;
  return false;
}

void SayRenamed(TextOut& out, const AgentComponent& component, const std::string& renamed) {
  if (!component.registered) {
    out << "No Active Setup component of this machine's stands: the next install registers "
           "one under the new name.\n";
    return;
  }
  out << "Active Setup's component is now " << ComponentKeyName(renamed) << ": it runs "
      << component.stubPath << ", Version " << component.version.Text()
      << ", once for each user at their next logon, and changes no layout the agent dealt "
         "with already.\n";
}

struct Renewal {
  std::string from;
  std::string to;
};

// The renewal a stopped run began, or a new one noted before anything else
// changes: the next run finishes it with the same two identities.
Renewal BegunRenewal() {
  Renewal renewal{IdentityKeyText(kRenewedFromValue), IdentityKeyText(kRenewingToValue)};
  if (IsGuidText(renewal.to)) return renewal;
  renewal = {MachineIdentity(), NewGuidText()};
  SetIdentityKeyText(kRenewedFromValue, renewal.from);
  SetIdentityKeyText(kRenewingToValue, renewal.to);
  return renewal;
}

// The new component stands before the identity names it, and the old one
// goes last: a run stopped anywhere leaves a component that reaches every
// user, and the agent's note keeps a second run for one user from changing
// anything.
bool Renew(TextOut& out) {
  const Renewal renewal = BegunRenewal();
  const std::string oldComponent = ComponentOfIdentity(renewal.from);
  const std::string renamed = ComponentOfIdentity(renewal.to);
  AgentComponent component = ReadComponent(oldComponent);
  if (component.registered) {
    WriteComponent(renamed, component.stubPath, component.version);
  } else {
    component = ReadComponent(renamed);  // copied by a run that stopped after it
  }
  SetMachineIdentity(renewal.to);
  out << "This machine's identity was " << (renewal.from.empty() ? "none" : renewal.from)
      << "; it is now " << renewal.to << ".\n";
  SayRenamed(out, component, renamed);
  if (!oldComponent.empty() && !UnregisterInBothViews(out, oldComponent)) return false;
  DeleteIdentityKeyText(kRenewingToValue);
  DeleteIdentityKeyText(kRenewedFromValue);
  return true;
}

}  // namespace

int RenewIdentity(TextOut& out) {
  out << "Renewing this machine's identity, for a machine made from an image\n\n";
  if (!Elevated(out)) return 1;
  // The identity is read, then written: no install or removal meanwhile.
  const MachineTurn turn;
  if (!turn.Held(out, kRenewalNeedsElevation)) return 1;
  try {
    return Renew(out) ? 0 : 1;
  } catch (const Exception& e) {
    out << "The renewal stopped: " << e.Message() << "\nRun it again to finish it.\n";
    return 1;
  }
}
