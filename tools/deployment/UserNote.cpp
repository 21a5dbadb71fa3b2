#include "UserNote.h"

#include "Deployment.h"
#include "Exceptions.h"
#include "RegistryKeyItself.h"

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

}  // namespace

UserNote ReadUserNote() {
  KeyItself key = OpenUserKey(kUserSoftwareKey, kUserNoteKey, false, RegistryRights::Read);
  // A link in our place is never read through; a key that is merely
  // missing holds nothing.
  if (key.Result() != KeyItself::Outcome::Opened && key.Result() != KeyItself::Outcome::Missing) {
    throw ERegistryException(key.Problem());
  }
  return {EventStamp::Parse(key.ReadText(kStampValue)), key.ReadText(kOutcomeValue)};
}

void WriteUserNote(const UserNote& note) {
  KeyItself key = WritableUserKey(kUserSoftwareKey, kUserNoteKey);
  key.WriteText(kOutcomeValue, note.outcome);
  key.WriteText(kStampValue, note.stamp.Text());
}

// Active Setup's own copy only spares the user a run that would change
// nothing; our note is what keeps a layout from being fixed twice.
void RaiseActiveSetupCopy(const EventStamp& version) {
  KeyItself copy = OpenUserKey(
      kUserActiveSetupKey, std::string(kUserActiveSetupKey) + "\\" + kPlacementComponent, true,
      RegistryRights::Full);
  if (copy.IsOpen() && EventStamp::Parse(copy.ReadText(kVersionValue)) < version) {
    copy.WriteText(kVersionValue, version.Text());
  }
}
