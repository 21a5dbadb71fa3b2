#include "RemovalRecord.h"

#include "BrowserRegistry.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "KeyItself.h"
#include "RecordReader.h"
#include "SameClassButtons.h"
#include "UnitVorlindeUtils.h"

using namespace deployment;

commandbar::IdShift RemovalRecord::Shift() const {
  const auto later = static_cast<std::int32_t>(buttonKeys.size()) - removedPosition;
  return commandbar::IdShift{removedId, later < 0 ? 0 : later};
}

RemovalRecord ReadRemovalRecord() {
  KeyItself key = OpenMachineRecord(kRemovalKey, false, RegistryRights::Read);
  RemovalRecord record;
  if (key.Result() != KeyItself::Outcome::Opened) {
    if (key.Result() != KeyItself::Outcome::Missing) record.damage = key.Problem();
    return record;
  }
  RecordReader values(key);
  // A removal is recorded once either stamp stands; then all of it must.
  if (!values.Has(kStampValue) && !values.Has(kPlannedStampValue)) return record;
  if (values.Has(kStampValue)) record.stamp = values.Stamp(kStampValue);
  if (values.Has(kPlannedStampValue)) record.planned = values.Stamp(kPlannedStampValue);
  record.removedId = static_cast<std::int32_t>(
      values.Number(kRemovedIdValue, FirstCustomCommandId, browserreg::kLargestCommandId));
  record.buttonKeys = values.KeyNames(kButtonKeysValue);
  record.removedPosition = static_cast<std::int32_t>(
      values.Number(kRemovedPositionValue, 0, static_cast<std::uint32_t>(record.buttonKeys.size())));
  if (values.Has(kInstallStampValue)) record.install = values.Stamp(kInstallStampValue);
  record.damage = values.Damage();
  return record;
}

void WriteRemovalPlan(std::int32_t removedId, std::int32_t removedPosition,
                      const std::vector<std::string>& buttonKeys, const EventStamp& install,
                      const EventStamp& planned) {
  KeyItself key = WritableMachineRecord(kRemovalKey);
  // An earlier removal's stamps go first: its values are overwritten below,
  // and no agent may apply the new ones under the old stamp.
  key.DeleteValue(kStampValue);
  key.DeleteValue(kPlannedStampValue);
  if (install.IsNone()) {
    key.DeleteValue(kInstallStampValue);
  } else {
    key.WriteText(kInstallStampValue, install.Text());
  }
  key.WriteNumber(kRemovedIdValue, static_cast<std::uint32_t>(removedId));
  key.WriteText(kButtonKeysValue, JoinKeyNames(buttonKeys));
  key.WriteNumber(kRemovedPositionValue, static_cast<std::uint32_t>(removedPosition));
  // The stamp last: a plan half written is no plan.
  key.WriteText(kPlannedStampValue, planned.Text());
}

void MarkRemovalDone(const EventStamp& planned) {
  WritableMachineRecord(kRemovalKey).WriteText(kStampValue, planned.Text());
}
