#include "LayoutFixUp.h"

#include <string>

#include "Exceptions.h"
#include "LayoutRemoval.h"
#include "RegistryAccessor.h"
#include "RemovalRecord.h"
#include "SameClassButtons.h"
#include "TextOut.h"

namespace {

// Renumbering on stale information would point entries at the wrong buttons:
// only while the same-class buttons stand exactly as the removal left them.
bool KeysStandAsRecorded(const RemovalRecord& record) {
  RegistryAccessor machine(RegistryRights::Read);
  machine.SelectHive(RegistryRoot::LocalMachine);
  const SameClassButtons now = ListSameClassButtons(machine);
  return now.ownPosition < 0 && SameKeyNames(now.others, record.buttonKeys);
}

std::string Entries(int count) {
  return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

std::string Outcome(const LayoutFix& fix) {
  switch (fix.result) {
    case LayoutFixResult::NoLayout:
      return "nothing to fix: no layout";
    case LayoutFixResult::Refused:
      return "left as it is: " + fix.refusal;
    case LayoutFixResult::Edited:
      break;
  }
  return "fixed: " + Entries(fix.edit.removed) + " removed, " + Entries(fix.edit.renumbered) +
         " renumbered";
}

}  // namespace

bool FixUpThisUsersLayout(TextOut& out) {
  const RemovalRecord record = ReadRemovalRecord();
  if (record.serial == 0) {
    out << "No removal is recorded on this machine: this account's layout needs no fix.\n";
    return true;
  }
  const UserRemovalNote note = ReadUserRemovalNote();
  if (note.serial >= record.serial) {
    out << "This account's layout was dealt with for this removal already (" << note.outcome
        << "): nothing changed.\n";
    return true;
  }
  bool asRecorded = false;
  try {
    asRecorded = KeysStandAsRecorded(record);
  } catch (const Exception& e) {
    out << "The extension keys cannot be listed (" << e.Message()
        << "): this account's layout was left as it is.\n";
    return false;
  }
  if (!asRecorded) {
    WriteUserRemovalNote(record.serial, "left as it is: the extension keys changed");
    out << "The extension keys no longer stand as the removal left them (the button was "
           "installed again, or another button was added or removed): this account's layout "
           "was left as it is.\n";
    return true;
  }
  // Noted before the layout changes: a note that cannot be written stops the
  // fix here, and a layout fixed twice would point entries at wrong buttons.
  WriteUserRemovalNote(record.serial, "begun, not finished");
  const LayoutFix fix = FixCurrentUsersLayout(record.Shift());
  const std::string outcome = Outcome(fix);
  WriteUserRemovalNote(record.serial, outcome);
  out << "This account's command bar layout: " << outcome << ".\n";
  return fix.result != LayoutFixResult::Refused;
}
