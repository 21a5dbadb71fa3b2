// The per-user agent's registration with Active Setup: one component per
// machine, "Vorlinde.{machine GUID}", whose command runs the agent once for
// each user at their next logon, and again after every install, upgrade or
// removal, each of which raises its Version.
#pragma once

#include <string>

#include "EventStamp.h"
#include "RegistryAccessor.h"

/// Registers the agent at `agentPath` for an install, a repair or an
/// upgrade, once the button's key is written: a new stamp, the install
/// recorded with it unless its record stands (`newInstall`: the button did
/// not count before), and the component's Version that stamp. Opens the keys as
/// themselves; raises ERegistryException naming the key when the registry
/// refuses or a link stands there. Answers the stamp.
EventStamp RegisterAgent(const std::string& agentPath, bool newInstall);

/// The same, for an event whose stamp is known already (a removal's). The
/// component of earlier versions is the caller's to take out
/// (ComponentCleanUp.h), with words.
void RegisterAgentForEvent(const std::string& agentPath, const EventStamp& stamp);

/// Writes the component `name` whole, its Version last; raises
/// ERegistryException naming the key when the registry refuses or a link
/// stands there.
void WriteComponent(const std::string& name, const std::string& stubPath,
                    const EventStamp& version);

/// This machine's component name: kPlacementComponentPrefix and the
/// machine's identity; empty while the machine has none that is well formed
/// (then no component of this machine's stands).
std::string PlacementComponent();

/// The machine's identity (kMachineIdentityValue) as it stands, and the
/// component name it gives (empty for one that is no GUID).
std::string MachineIdentity();
std::string ComponentOfIdentity(const std::string& identity);

/// Gives the machine the identity `identity`; raises ERegistryException
/// naming the key when the registry refuses or a link stands there.
void SetMachineIdentity(const std::string& identity);

/// The other texts beside the identity (a renewal's), read, written and
/// deleted as SetMachineIdentity writes; a refused deletion raises too.
std::string IdentityKeyText(const char* value);
void SetIdentityKeyText(const char* value, const std::string& text);
void DeleteIdentityKeyText(const char* value);

/// What the component names, in the program's own registry view.
struct AgentComponent {
  bool registered;       // the key stands (as itself)
  std::string stubPath;  // as written: the path in quotes
  EventStamp version;
};
AgentComponent ReadAgentComponent();
AgentComponent ReadComponent(const std::string& name);

/// The component's StubPath for an agent at `agentPath`.
std::string AgentStubPath(const std::string& agentPath);

/// Deletes a component of Vorlinde's (`name`) in `view`, a link in its place
/// itself; true when none is left. Says nothing: the caller names the key.
bool UnregisterComponent(const std::string& name, RegistryView view);

/// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Active Setup\Installed Components\<name>".
std::string ComponentKeyName(const std::string& name);
