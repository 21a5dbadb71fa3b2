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

// The machine's component, its identity made now if it has none: a damaged
// one names no component that could stand, so a new one loses nothing.
std::string MadePlacementComponent() {
  KeyItself key = OpenIdentityKey(true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  const std::string standing = ComponentOfIdentity(key.ReadText(kMachineIdentityValue));
  if (!standing.empty()) return standing;
  const std::string identity = NewGuidText();
  key.WriteText(kMachineIdentityValue, identity);
  return ComponentOfIdentity(identity);
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

std::string PlacementComponent() { return ComponentOfIdentity(MachineIdentity()); }

AgentComponent ReadAgentComponent() { return ReadComponent(PlacementComponent()); }

AgentComponent ReadComponent(const std::string& name) {
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
  WriteComponent(MadePlacementComponent(), AgentStubPath(agentPath), stamp);
}

void WriteComponent(const std::string& name, const std::string& stubPath,
                    const EventStamp& version) {
  KeyItself key = OpenComponent(name, true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  key.WriteText("", "Vorlinde: the shop button in each user's command bar");
  key.WriteText(kStubPathValue, stubPath);
  key.WriteNumber(kIsInstalledValue, 1);
  // The Version last: a component half written is not yet a new event.
  key.WriteText(kVersionValue, version.Text());
}

std::string MachineIdentity() { return IdentityKeyText(kMachineIdentityValue); }

std::string IdentityKeyText(const char* value) {
  KeyItself key = OpenIdentityKey(false, RegistryRights::Read);
  return key.ReadText(value);
}

std::string ComponentOfIdentity(const std::string& identity) {
  return IsGuidText(identity) ? kPlacementComponentPrefix + identity : std::string();
}

void SetMachineIdentity(const std::string& identity) {
  SetIdentityKeyText(kMachineIdentityValue, identity);
}

void SetIdentityKeyText(const char* value, const std::string& text) {
  KeyItself key = OpenIdentityKey(true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  key.WriteText(value, text);
}

void DeleteIdentityKeyText(const char* value) {
  KeyItself key = OpenIdentityKey(false, RegistryRights::Full);
  if (key.IsOpen() ? !key.DeleteValue(value) : !key.Problem().empty()) {
    throw ERegistryException(key.IsOpen() ? "the registry kept " + std::string(value)
                                          : key.Problem());
  }
}

bool UnregisterComponent(const std::string& name, RegistryView view) {
  return DeleteRegistryTree(RegistryRoot::LocalMachine, view, kActiveSetupKey, ComponentPath(name));
}
