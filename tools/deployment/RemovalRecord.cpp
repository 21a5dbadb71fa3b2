#include "RemovalRecord.h"

#include "Deployment.h"
#include "Exceptions.h"
#include "RegistryKeyItself.h"
#include "SameClassButtons.h"

namespace {

using namespace deployment;

KeyItself OpenRecord(bool create, RegistryRights rights) {
  return KeyItself(RegistryRoot::LocalMachine, RegistryView::Own, kMachineSoftwareKey, kRemovalKey,
                   create, rights);
}

// A link in our place is never read through; a key that is merely missing
// holds nothing.
void RaiseUnlessRead(const KeyItself& key) {
  if (key.Result() != KeyItself::Outcome::Opened && key.Result() != KeyItself::Outcome::Missing) {
    throw ERegistryException(key.Problem());
  }
}

KeyItself WritableRecord() {
  KeyItself key = OpenRecord(true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  return key;
}

}  // namespace

IdShift RemovalRecord::Shift() const {
  const auto later = static_cast<std::int32_t>(buttonKeys.size()) - removedPosition;
  return IdShift{removedId, later < 0 ? 0 : later};
}

RemovalRecord ReadRemovalRecord() {
  KeyItself key = OpenRecord(false, RegistryRights::Read);
  RaiseUnlessRead(key);
  RemovalRecord record{EventStamp::Parse(key.ReadText(kStampValue)),
                       EventStamp::Parse(key.ReadText(kPlannedStampValue)),
                       0,
                       0,
                       {}};
  record.removedId = static_cast<std::int32_t>(key.ReadNumber(kRemovedIdValue, 0));
  record.removedPosition = static_cast<std::int32_t>(key.ReadNumber(kRemovedPositionValue, 0));
  record.buttonKeys = SplitKeyNames(key.ReadText(kButtonKeysValue));
  return record;
}

void WriteRemovalPlan(std::int32_t removedId, std::int32_t removedPosition,
                      const std::vector<std::string>& buttonKeys, const EventStamp& planned) {
  KeyItself key = WritableRecord();
  key.WriteText(kPlannedStampValue, planned.Text());
  key.WriteNumber(kRemovedIdValue, static_cast<std::uint32_t>(removedId));
  key.WriteNumber(kRemovedPositionValue, static_cast<std::uint32_t>(removedPosition));
  key.WriteText(kButtonKeysValue, JoinKeyNames(buttonKeys));
}

void FinishRemovalRecord(const EventStamp& planned) {
  WritableRecord().WriteText(kStampValue, planned.Text());
}
