#include "InstallRecord.h"

#include "Deployment.h"
#include "Exceptions.h"
#include "KeyItself.h"
#include "RecordReader.h"
#include "RegistryAccessor.h"
#include "RegistryTree.h"
#include "SameClassButtons.h"

namespace {

using namespace deployment;

SameClassButtons ButtonsNow() {
  RegistryAccessor machine(RegistryRights::Read);
  machine.SelectHive(RegistryRoot::LocalMachine);
  return ListSameClassButtons(machine);
}

}  // namespace

std::int32_t InstallRecord::LaterCount() const {
  return adopted ? 0 : static_cast<std::int32_t>(buttonKeys.size()) - position;
}

InstallRecord ReadInstallRecord() {
  KeyItself key = OpenMachineRecord(kInstallKey, false, RegistryRights::Read);
  InstallRecord record;
  if (key.Result() != KeyItself::Outcome::Opened) {
    if (key.Result() != KeyItself::Outcome::Missing) record.damage = key.Problem();
    return record;
  }
  RecordReader values(key);
  record.underWay = values.Has(kUnderWayValue);
  if (!values.Has(kStampValue)) return record;
  record.stamp = values.Stamp(kStampValue);
  record.buttonKeys = values.KeyNames(kButtonKeysValue);
  record.position = static_cast<std::int32_t>(
      values.Number(kPositionValue, 0, static_cast<std::uint32_t>(record.buttonKeys.size())));
  record.adopted = values.Number(kAdoptedValue, 0, 1) == 1;
  record.damage = values.Damage();
  return record;
}

bool ButtonCounted() { return ButtonsNow().ownPosition >= 0; }

void WriteInstallRecord(const EventStamp& stamp, bool adopted) {
  const SameClassButtons buttons = ButtonsNow();
  if (buttons.ownPosition < 0) {
    throw EAssertionFailed("the button's key does not count as a button of its class");
  }
  KeyItself key = WritableMachineRecord(kInstallKey);
  key.WriteText(kButtonKeysValue, JoinKeyNames(buttons.others));
  key.WriteNumber(kPositionValue, static_cast<std::uint32_t>(buttons.ownPosition));
  key.WriteNumber(kAdoptedValue, adopted ? 1 : 0);
  // The stamp last: a record half written is no record.
  key.WriteText(kStampValue, stamp.Text());
  key.DeleteValue(kUnderWayValue);
}

void MarkInstallUnderWay() { WritableMachineRecord(kInstallKey).WriteNumber(kUnderWayValue, 1); }

void EndInstallUnderWay() {
  KeyItself key = OpenMachineRecord(kInstallKey, false, RegistryRights::Full);
  if (key.IsOpen()) key.DeleteValue(kUnderWayValue);
}

void DeleteInstallRecord() {
  DeleteRegistryTree(RegistryRoot::LocalMachine, RegistryView::Own, kMachineSoftwareKey,
                     kInstallKey);
}
