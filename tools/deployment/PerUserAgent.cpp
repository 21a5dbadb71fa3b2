#include "PerUserAgent.h"

#include <algorithm>
#include <string>

#include "AgentRegistration.h"
#include "BrowserRegistry.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "IconFile.h"
#include "LayoutRemoval.h"
#include "NamedMutex.h"
#include "OwnExtensionKey.h"
#include "RegistryAccessor.h"
#include "RemovalRecord.h"
#include "SameClassButtons.h"
#include "SystemErrorText.h"
#include "TextOut.h"
#include "UserNote.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

using namespace deployment;

struct MachineState {
  SameClassButtons buttons;
  RemovalRecord record;
  EventStamp component;  // the Version of the agent's Active Setup component
  EventStamp event;      // the latest install, upgrade or removal
};

MachineState ReadMachine() {
  RegistryAccessor machine(RegistryRights::Read);
  machine.SelectHive(RegistryRoot::LocalMachine);
  MachineState state{ListSameClassButtons(machine), ReadRemovalRecord(),
                     ReadAgentComponent().version, {}};
  state.event = std::max(state.component, state.record.stamp);
  return state;
}

// The user's note of `stamp`, and Active Setup's copy with it when the
// component stands at that event.
void Note(const MachineState& machine, const EventStamp& stamp, const std::string& outcome) {
  WriteUserNote({stamp, outcome});
  if (machine.component == stamp) RaiseActiveSetupCopy(stamp);
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

// A button without its picture is no good install, whatever the layout says.
// An Icon that is no text names no file either: it is this problem, not a
// registry error (the count takes any Icon value for a button's).
bool IconFileStands(TextOut& out) {
  RegistryAccessor machine(RegistryRights::Read);
  machine.SelectHive(RegistryRoot::LocalMachine);
  const bool text = machine.OpenSubkey(OwnExtensionKey(), false) &&
                    IsTextType(machine.QueryValue(browserreg::kIconValue).type);
  const std::string icon = text ? machine.ReadText(browserreg::kIconValue) : "";
  if (IconFileExists(icon)) return true;
  out << "PROBLEM: the icon file \"" << icon << "\" that HKEY_LOCAL_MACHINE" << OwnExtensionKey()
      << " names is not there: the browser shows the button without a picture.\n"
      << "  What to do: an administrator repairs the installation (msiexec /f), or runs "
         "vorlinde.exe again from the folder that holds shop.ico.\n";
  return false;
}

// The install run's own rule: its index, its id from the read-only count.
bool Place(TextOut& out, const MachineState& machine) {
  const std::int32_t id = FirstCustomCommandId + machine.buttons.ownPosition;
  const CurrentLayout layout = ReadCurrentUsersLayout();
  std::string outcome;
  if (!layout.refusal.empty()) {
    outcome = "left as it is: " + layout.refusal;
  } else if (id > browserreg::kLargestCommandId) {
    outcome = "left as it is: the command id " + std::to_string(id) +
              " does not fit a layout entry, which holds it in one byte";
  } else if (HasEntryWithId(layout.bytes, id)) {
    outcome = "unchanged: an entry carries the button's command id " + std::to_string(id);
  } else {
    const bool companion = ProbeCompanionButton(kButton.CompanionKeyGuid);
    const std::int32_t index =
        companion ? kButton.LayoutIndexWithCompanion : kButton.LayoutIndexAlone;
    PlaceButtonInCommandBar(kButton.KeyGuid, kButton.ButtonClsid, index);
    outcome =
        "placed: command id " + std::to_string(id) + " at entry index " + std::to_string(index);
  }
  Note(machine, machine.event, outcome);
  out << "This account's command bar layout: " << outcome << ".\n";
  const bool placeable = layout.refusal.empty() && id <= browserreg::kLargestCommandId;
  return IconFileStands(out) && placeable;
}

// Renumbering on stale information would point entries at the wrong buttons:
// only while the same-class buttons stand exactly as the removal left them.
bool KeysStandAsRecorded(const MachineState& machine) {
  return !machine.buttons.ownKeyListed &&
         SameKeyNames(machine.buttons.others, machine.record.buttonKeys);
}

bool ApplyRemoval(TextOut& out, const MachineState& machine) {
  const RemovalRecord& record = machine.record;
  if (!KeysStandAsRecorded(machine)) {
    Note(machine, record.stamp, "left as it is: the extension keys changed");
    out << "The extension keys no longer stand as the removal left them (another button was "
           "added or removed since): this account's layout was left as it is.\n";
    return true;
  }
  // Noted before the layout changes: a note that cannot be written stops the
  // fix here, and a layout fixed twice would point entries at wrong buttons.
  Note(machine, record.stamp, "begun, not finished");
  const LayoutFix fix = FixCurrentUsersLayout(record.Shift());
  const std::string outcome = Outcome(fix);
  Note(machine, record.stamp, outcome);
  out << "This account's command bar layout: " << outcome << ".\n";
  return fix.result != LayoutFixResult::Refused;
}

// Nothing is applied from a record that breaks its own rules: it could name
// any entry of the layout.
bool LeaveForDamagedRecord(TextOut& out, const RemovalRecord& record) {
  out << "The removal record cannot be used (" << record.damage
      << "): this account's layout was left as it is.\n"
      << "  What to do: an administrator runs vorlinde-inspect.exe /Remove on a machine where the "
         "button is installed, which records the removal anew; deleting HKEY_LOCAL_MACHINE"
      << kRemovalKey << " leaves every layout as it is.\n";
  return false;
}

bool LeaveAsItIs(TextOut& out, const MachineState& machine, const UserNote& note) {
  if (machine.record.stamp.IsNone()) {
    out << "The button is not installed as a button of its class, and no removal is "
           "recorded: this account's layout was left as it is.\n";
  } else {
    out << "This account's layout was dealt with for the last removal already (" << note.outcome
        << "): nothing changed.\n";
  }
  if (note.stamp < machine.event) Note(machine, machine.event, "unchanged: nothing to do");
  return true;
}

bool InLine(TextOut& out) {
  const MachineState machine = ReadMachine();
  const UserNote note = ReadUserNote();
  if (machine.buttons.ownPosition >= 0) return Place(out, machine);
  const RemovalRecord& record = machine.record;
  const bool pending = note.stamp < record.stamp;
  if (!record.damage.empty() && (pending || record.stamp.IsNone())) {
    return LeaveForDamagedRecord(out, record);
  }
  if (pending) return ApplyRemoval(out, machine);
  return LeaveAsItIs(out, machine, note);
}

// Why a run did not get the turn, before it read anything.
void SayNoTurn(TextOut& out, const NamedMutexClaim& turn) {
  if (turn.Result() == NamedMutexClaim::Outcome::Busy) {
    out << "Another run is bringing this account's layout in line and kept its turn for "
        << kUserTurnWaitMilliseconds / 1000 << " seconds: nothing was read or changed.\n";
  } else {
    out << "This account's turn (the mutex " << kUserTurnMutex << ") cannot be claimed ("
        << SystemErrorText(turn.ErrorCode()) << "): nothing was read or changed.\n";
  }
}

}  // namespace

bool BringThisUsersLayoutInLine(TextOut& out) {
  const NamedMutexClaim turn(kUserTurnMutex, kUserTurnWaitMilliseconds);
  if (!turn.Held()) {
    SayNoTurn(out, turn);
    return false;
  }
  if (turn.Result() == NamedMutexClaim::Outcome::TakenOver) {
    out << "An earlier run for this account ended without releasing its turn; this run takes "
           "it over.\n";
  }
  return InLine(out);
}
