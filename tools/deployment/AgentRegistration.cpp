#include "AgentRegistration.h"

#include "Deployment.h"
#include "Exceptions.h"
#include "RecordKeeping.h"
#include "KeyItself.h"
#include "NewGuid.h"
#include "RegistryTree.h"

namespace {

using namespace deployment;

std::string ComponentPath(const std::string& name) {
  return std::string(kActiveSetupKey) + "\\" + name;
}

KeyItself OpenIdentityKey(bool create, RegistryRights rights) {
  return KeyItself(RegistryRoot::LocalMachine, RegistryView::Own, kMachineSoftwareKey,
                   kStampMarkKey, create, rights);
}

std::string ComponentNamed(const std::string& identity) {
  return IsGuidText(identity) ? kPlacementComponentPrefix + identity : std::string();
}

// The machine's component, its identity made now if it has none: a damaged
// one names no component that could stand, so a new one loses nothing.
std::string MadePlacementComponent() {
  KeyItself key = OpenIdentityKey(true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  const std::string standing = ComponentNamed(key.ReadText(kMachineIdentityValue));
  if (!standing.empty()) return standing;
  const std::string identity = NewGuidText();
  key.WriteText(kMachineIdentityValue, identity);
  return ComponentNamed(identity);
}

KeyItself OpenComponent(const std::string& name, bool create, RegistryRights rights) {
  return KeyItself(RegistryRoot::LocalMachine, RegistryView::Own, kActiveSetupKey,
                   ComponentPath(name), create, rights);
}

}  // namespace

std::string AgentStubPath(const std::string& agentPath) { return "\"" + agentPath + "\""; }

std::string ComponentKeyName(const std::string& name) {
  return "HKEY_LOCAL_MACHINE" + ComponentPath(name);
}

std::string PlacementComponent() {
  KeyItself key = OpenIdentityKey(false, RegistryRights::Read);
  return ComponentNamed(key.ReadText(kMachineIdentityValue));
}

AgentComponent ReadAgentComponent() {
  const std::string name = PlacementComponent();
  if (name.empty()) return {false, std::string(), EventStamp{}};
  KeyItself key = OpenComponent(name, false, RegistryRights::Read);
  if (!key.IsOpen()) return {false, std::string(), EventStamp{}};
  return {true, key.ReadText(kStubPathValue), EventStamp::Parse(key.ReadText(kVersionValue))};
}

EventStamp RegisterAgent(const std::string& agentPath, bool newInstall) {
  const EventStamp stamp = NewEventStamp();
  RecordInstall(stamp, newInstall);
  RegisterAgentForEvent(agentPath, stamp);
  return stamp;
}

void RegisterAgentForEvent(const std::string& agentPath, const EventStamp& stamp) {
  KeyItself key = OpenComponent(MadePlacementComponent(), true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  key.WriteText("", "Vorlinde: the shop button in each user's command bar");
  key.WriteText(kStubPathValue, AgentStubPath(agentPath));
  key.WriteNumber(kIsInstalledValue, 1);
  // The Version last: a component half written is not yet a new event.
  key.WriteText(kVersionValue, stamp.Text());
  // An earlier version's component would run the agent a second time at
  // each logon; this one does all it did.
  UnregisterComponent(kLegacyPlacementComponent, RegistryView::Own);
}

bool UnregisterComponent(const std::string& name, RegistryView view) {
  return DeleteRegistryTree(RegistryRoot::LocalMachine, view, kActiveSetupKey, ComponentPath(name));
}
