#include "UserNote.h"

#include "AgentRegistration.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "KeyItself.h"

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

}  // namespace

// An earlier version's note still counts until this machine's is written: a
// layout it fixed must not be fixed again.
UserNote ReadUserNote() {
  bool found = false;
  const UserNote note = ReadNote(kUserLocalKey, kUserNoteKey, found);
  return found ? note : ReadNote(kUserSoftwareKey, kLegacyUserNoteKey, found);
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
