#include "RemovalRecord.h"

#include "Deployment.h"
#include "Exceptions.h"
#include "RegistryAccessor.h"
#include "SameClassButtons.h"

namespace {

using namespace deployment;

const std::string kFixUpKey = std::string(kActiveSetupKey) + "\\" + kLegacyFixUpComponent;
const std::string kPlacementKey = std::string(kActiveSetupKey) + "\\" + kPlacementComponent;

// Active Setup runs a component again for a user whose copy of Version is
// lower than the machine's; each removal raises the last part.
std::string FixUpVersion(std::uint32_t serial) { return "1,0,0," + std::to_string(serial); }

}  // namespace

IdShift RemovalRecord::Shift() const {
  const auto later = static_cast<std::int32_t>(buttonKeys.size()) - removedPosition;
  return IdShift{removedId, later < 0 ? 0 : later};
}

RemovalRecord ReadRemovalRecord() {
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.OpenSubkey(kRemovalKey, false)) return {0, 0, 0, {}};
  RemovalRecord record;
  record.serial = registry.ReadNumber(kSerialValue, 0);
  record.removedId = static_cast<std::int32_t>(registry.ReadNumber(kRemovedIdValue, 0));
  record.removedPosition =
      static_cast<std::int32_t>(registry.ReadNumber(kRemovedPositionValue, 0));
  record.buttonKeys = SplitKeyNames(registry.ReadText(kButtonKeysValue));
  return record;
}

RemovalRecord WriteRemovalRecord(std::int32_t removedId, std::int32_t removedPosition,
                                 const std::vector<std::string>& buttonKeys) {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.OpenSubkey(kRemovalKey, true)) {
    throw ERegistryException("the registry refused to create HKEY_LOCAL_MACHINE" +
                             std::string(kRemovalKey));
  }
  const RemovalRecord record{registry.ReadNumber(kSerialValue, 0) + 1, removedId,
                             removedPosition, buttonKeys};
  // The serial last: a record half written is not yet a new removal.
  registry.WriteNumber(kRemovedIdValue, static_cast<std::uint32_t>(removedId));
  registry.WriteNumber(kRemovedPositionValue, static_cast<std::uint32_t>(removedPosition));
  registry.WriteText(kButtonKeysValue, JoinKeyNames(buttonKeys));
  registry.WriteNumber(kSerialValue, record.serial);
  return record;
}

UserRemovalNote ReadUserRemovalNote() {
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::CurrentUser);
  if (!registry.OpenSubkey(kUserRemovalKey, false)) return {0, {}};
  return {registry.ReadNumber(kSerialValue, 0), registry.ReadText(kOutcomeValue)};
}

void WriteUserRemovalNote(std::uint32_t serial, const std::string& outcome) {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::CurrentUser);
  if (!registry.OpenSubkey(kUserRemovalKey, true)) {
    throw ERegistryException("the registry refused to create HKEY_CURRENT_USER" +
                             std::string(kUserRemovalKey));
  }
  registry.WriteText(kOutcomeValue, outcome);
  registry.WriteNumber(kSerialValue, serial);
  // Active Setup's own note only spares the user a run that would change
  // nothing; ours above is what keeps a layout from being fixed twice.
  if (registry.OpenSubkey(std::string(kUserActiveSetupKey) + "\\" + kLegacyFixUpComponent, true)) {
    registry.WriteText(kVersionValue, FixUpVersion(serial));
  }
}

void RegisterFixUp(const std::string& stubPath, std::uint32_t serial) {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.OpenSubkey(kFixUpKey, true)) {
    throw ERegistryException("the registry refused to create HKEY_LOCAL_MACHINE" + kFixUpKey);
  }
  registry.WriteText("", "Vorlinde: command bar fix-up after the button's removal");
  registry.WriteText(kStubPathValue, "\"" + stubPath + "\"");
  registry.WriteText(kVersionValue, FixUpVersion(serial));
  registry.WriteNumber(kIsInstalledValue, 1);
}

bool UnregisterPlacement() {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  return registry.DeleteSubkeyTree(kPlacementKey);
}
