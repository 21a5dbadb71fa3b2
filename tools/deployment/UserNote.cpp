#include "UserNote.h"

#include <algorithm>
#include <initializer_list>

#include "AgentRegistration.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "InstallRecord.h"
#include "KeyItself.h"
#include "RemovalRecord.h"

namespace {

using namespace deployment;

KeyItself OpenUserKey(const std::string& base, const std::string& path, bool create,
                      RegistryRights rights) {
  return KeyItself(RegistryRoot::CurrentUser, RegistryView::Own, base, path, create, rights);
}

KeyItself WritableUserKey(const std::string& base, const std::string& path) {
  KeyItself key = OpenUserKey(base, path, true, RegistryRights::Full);
  if (!key.IsOpen()) throw ERegistryException(key.Problem());
  return key;
}

// A link in our place is never read through; a key that is merely missing
// holds nothing.
UserNote ReadNote(const char* base, const char* path, bool& found) {
  KeyItself key = OpenUserKey(base, path, false, RegistryRights::Read);
  if (key.Result() != KeyItself::Outcome::Opened && key.Result() != KeyItself::Outcome::Missing) {
    throw ERegistryException(key.Problem());
  }
  found = key.IsOpen();
  return {EventStamp::Parse(key.ReadText(kStampValue)), key.ReadText(kOutcomeValue),
          EventStamp::Parse(key.ReadText(kInstallStampValue)), key.ReadText(kLayoutBeforeValue)};
}

bool IsOneOf(const EventStamp& stamp, std::initializer_list<EventStamp> stamps) {
  return std::find(stamps.begin(), stamps.end(), stamp) != stamps.end();
}

// An earlier version's note roams and names no machine: it proves only the
// one event it ran for, where this machine has an event of that very stamp.
// Any other stamp may be another machine's, and a later one would mark this
// machine's pending event done; it then stands for no event at all.
UserNote ProvenForThisMachine(const UserNote& roamed) {
  const InstallRecord install = ReadInstallRecord();
  UserNote proven;
  if (!roamed.install.IsNone() && roamed.install == install.stamp) proven.install = install.stamp;
  if (!roamed.stamp.IsNone() && IsOneOf(roamed.stamp, {ReadAgentComponent().version,
                                                       ReadRemovalRecord().stamp, install.stamp})) {
    proven.stamp = roamed.stamp;
    proven.outcome = roamed.outcome;
    proven.layoutBefore = roamed.layoutBefore;
  }
  return proven;
}

}  // namespace

// An earlier version's note still counts until this machine's is written,
// for what it proves: a layout it fixed must not be fixed again.
UserNote ReadUserNote() {
  bool found = false;
  const UserNote note = ReadNote(kUserLocalKey, kUserNoteKey, found);
  if (found) return note;
  const UserNote roamed = ReadNote(kUserSoftwareKey, kLegacyUserNoteKey, found);
  return found ? ProvenForThisMachine(roamed) : roamed;
}

void WriteUserNote(const UserNote& note) {
  KeyItself key = WritableUserKey(kUserLocalKey, kUserNoteKey);
  key.WriteText(kOutcomeValue, note.outcome);
  key.WriteText(kInstallStampValue, note.install.Text());
  if (note.layoutBefore.empty()) {
    key.DeleteValue(kLayoutBeforeValue);
  } else {
    key.WriteText(kLayoutBeforeValue, note.layoutBefore);
  }
  key.WriteText(kStampValue, note.stamp.Text());
}

// Active Setup's own copy only spares the user a run that would change
// nothing; our note is what keeps a layout from being fixed twice. Only this
// machine's component's copy: another machine's roams beside it untouched.
void RaiseActiveSetupCopy(const EventStamp& version) {
  const std::string component = PlacementComponent();
  if (component.empty()) return;
  KeyItself copy =
      OpenUserKey(kUserActiveSetupKey, std::string(kUserActiveSetupKey) + "\\" + component, true,
                  RegistryRights::Full);
  if (copy.IsOpen() && EventStamp::Parse(copy.ReadText(kVersionValue)) < version) {
    copy.WriteText(kVersionValue, version.Text());
  }
}
