#include "AgentRegistration.h"

#include "Deployment.h"
#include "Exceptions.h"
#include "InstallRecord.h"
#include "KeyItself.h"
#include "RegistryTree.h"

namespace {

using namespace deployment;

std::string ComponentPath(const std::string& name) {
  return std::string(kActiveSetupKey) + "\\" + name;
}

KeyItself OpenComponent(bool create, RegistryRights rights) {
  return KeyItself(RegistryRoot::LocalMachine, RegistryView::Own, kActiveSetupKey,
                   ComponentPath(kPlacementComponent), create, rights);
}

}  // namespace

std::string AgentStubPath(const std::string& agentPath) { return "\"" + agentPath + "\""; }

std::string ComponentKeyName(const std::string& name) {
  return "HKEY_LOCAL_MACHINE" + ComponentPath(name);
}

AgentComponent ReadAgentComponent() {
  KeyItself key = OpenComponent(false, RegistryRights::Read);
  if (!key.IsOpen()) return {false, std::string(), EventStamp{}};
  return {true, key.ReadText(kStubPathValue), EventStamp::Parse(key.ReadText(kVersionValue))};
}

void RegisterAgent(const std::string& agentPath, bool newInstall) {
  const EventStamp stamp = NewEventStamp();
  RecordInstall(stamp, newInstall);
  RegisterAgentForEvent(agentPath, stamp);
}

void RegisterAgentForEvent(const std::string& agentPath, const EventStamp& stamp) {
  KeyItself key = OpenComponent(true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  key.WriteText("", "Vorlinde: the shop button in each user's command bar");
  key.WriteText(kStubPathValue, AgentStubPath(agentPath));
  key.WriteNumber(kIsInstalledValue, 1);
  // The Version last: a component half written is not yet a new event.
  key.WriteText(kVersionValue, stamp.Text());
}

bool UnregisterComponent(const std::string& name, RegistryView view) {
  return DeleteRegistryTree(RegistryRoot::LocalMachine, view, kActiveSetupKey, ComponentPath(name));
}
