#include "RemovalRights.h"

#include "BrowserRegistry.h"
#include "Deployment.h"
#include "KeyItself.h"
#include "OwnExtensionKey.h"
#include "ProcessAccount.h"
#include "RegistryAccessor.h"
#include "TextOut.h"

namespace {

// A link in the key's place is no refusal: it goes itself.
bool Writable(const KeyItself& key) {
  return key.IsOpen() || key.Result() == KeyItself::Outcome::Link ||
         key.Result() == KeyItself::Outcome::Missing;
}

bool Refused(TextOut& out, const std::string& problem) {
  if (CurrentElevation() != Elevation::Elevated) {
    out << kRemovalNeedsElevation << "\n";
  } else {
    out << "This run is elevated, but " << problem << ". Nothing was changed.\n";
  }
  return false;
}

}  // namespace

bool MayRemove(TextOut& out) {
  const KeyItself own(RegistryRoot::LocalMachine, RegistryView::Own, browserreg::kExtensionsKey,
                      OwnExtensionKey(), false, RegistryRights::Full);
  if (!Writable(own)) return Refused(out, own.Problem());
  // Where the agent's component is written or deleted.
  RegistryAccessor setup(RegistryRights::Full);
  setup.SelectHive(RegistryRoot::LocalMachine);
  // Missing, it is created with the component, and a refusal named then.
  if (setup.ProbeSubkey(deployment::kActiveSetupKey) != KeyPresence::Missing &&
      !setup.OpenSubkey(deployment::kActiveSetupKey, false)) {
    return Refused(out, "the registry refused to open HKEY_LOCAL_MACHINE" +
                            std::string(deployment::kActiveSetupKey) + " for changes");
  }
  return true;
}
