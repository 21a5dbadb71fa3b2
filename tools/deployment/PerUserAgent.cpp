#include "PerUserAgent.h"

#include <algorithm>
#include <string>

#include "AgentRegistration.h"
#include "BrowserRegistry.h"
#include "CommandBarLayout.h"
#include "Deployment.h"
#include "Exceptions.h"
#include "IconFile.h"
#include "InstallRecord.h"
#include "LayoutRenumbering.h"
#include "LayoutSteps.h"
#include "MachinePart.h"
#include "NamedMutex.h"
#include "OwnExtensionKey.h"
#include "ProcessAccount.h"
#include "RegistryAccessor.h"
#include "RemovalRecord.h"
#include "SameClassButtons.h"
#include "SystemErrorText.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"
#include "UserNote.h"
#include "VorlindeProgram.h"

namespace {

using namespace deployment;

// What the run found, on the machine and in this user's note.
struct MachineState {
  SameClassButtons buttons;
  InstallRecord install;
  RemovalRecord record;
  EventStamp component;  // the Version of the agent's Active Setup component
  EventStamp event;      // the latest install, upgrade or removal
  UserNote note;         // this user's, as the run found it
};

MachineState ReadMachine() {
  RegistryAccessor machine(RegistryRights::Read);
  machine.SelectHive(RegistryRoot::LocalMachine);
  MachineState state{ListSameClassButtons(machine),
                     ReadInstallRecord(),
                     ReadRemovalRecord(),
                     ReadAgentComponent().version,
                     {},
                     ReadUserNote()};
  state.event = LatestEvent(state.component, state.record.stamp);
  return state;
}

// The user's note of `stamp`, and Active Setup's copy with it when the
// component stands at that event. The install the placement reached stays
// noted unless `reached` names another.
void Note(const MachineState& machine, const EventStamp& stamp, const std::string& outcome,
          const EventStamp* reached = nullptr, const std::string& layoutBefore = std::string()) {
  WriteUserNote(
      {stamp, outcome, reached != nullptr ? *reached : machine.note.install, layoutBefore});
  if (machine.component == stamp) RaiseActiveSetupCopy(stamp);
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
      << "  What to do: as an administrator, " VORLINDE_WRITE_MACHINE_PART ".\n";
  return false;
}

// The ids the install moved are known only while the keys stand as it
// recorded them.
bool KeysStandAsInstalled(const MachineState& machine) {
  return machine.install.adopted ||
         (machine.buttons.ownPosition == machine.install.position &&
          SameKeyNames(machine.buttons.others, machine.install.buttonKeys));
}

// A user this install's placement reached already keeps their layout, also
// when they took the button off: a repair or an upgrade does not undo it.
bool PlacedForThisInstall(TextOut& out, const MachineState& machine) {
  out << "This account had this install's placement already (" << machine.note.outcome
      << "): nothing changed, and a button taken off stays off.\n";
  if (!machine.note.layoutBefore.empty()) {
    Note(machine, machine.event, "placed: the layout was written before a stop");
  } else if (machine.note.stamp < machine.event) {
    Note(machine, machine.event, "unchanged: placed for this install already");
  }
  return IconFileStands(out);
}

std::string CurrentLayoutText() {
  RegistryAccessor reader(RegistryRights::Read);
  return LayoutText(ReadLayout(reader, commandbar::LayoutRules::BinaryOnly).bytes);
}

// An edit stopped between its write and its note: the write happened unless
// the layout still stands exactly as the note says it was before it. Making
// it again would move ids twice and point entries at the wrong buttons.
bool BegunAndNotWritten(const UserNote& note) {
  return !note.layoutBefore.empty() && CurrentLayoutText() == note.layoutBefore;
}

bool Place(TextOut& out, const MachineState& machine) {
  const InstallRecord& install = machine.install;
  if (!install.damage.empty()) {
    out << "The install record cannot be used (" << install.damage
        << "): this account's layout was left as it is.\n"
        << "  What to do: an administrator repairs the installation, which records it anew.\n";
    return false;
  }
  const bool recorded = !install.stamp.IsNone();
  if (recorded && machine.note.install == install.stamp && !BegunAndNotWritten(machine.note)) {
    return PlacedForThisInstall(out, machine);
  }
  if (recorded && !KeysStandAsInstalled(machine)) {
    Note(machine, machine.event, kKeysChangedSinceInstall);
    out << "The extension keys no longer stand as the install left them (another button was "
           "added or removed since): this account's layout was left as it is, without the "
           "button.\n"
        << "  What to do: " << kChangedKeysAdvice << "\n";
    return false;
  }
  // Noted before the layout changes, with the layout as it was: a run
  // stopped after the write must not move the later ids up a second time.
  const PlaceStep step = PlaceEntry(
      FirstCustomCommandId + machine.buttons.ownPosition, recorded ? install.LaterCount() : 0,
      [&](const commandbar::LayoutBytes& before) {
        if (recorded) {
          Note(machine, machine.event, "begun, not finished", &install.stamp, LayoutText(before));
        }
      });
  Note(machine, machine.event, step.outcome, step.reached ? &install.stamp : nullptr);
  out << "This account's command bar layout: " << step.outcome << ".\n";
  if (!step.wayOut.empty()) out << "  What to do: " << step.wayOut << ".\n";
  return IconFileStands(out) && step.placeable;
}

// Renumbering on stale information would point entries at the wrong buttons:
// only while the same-class buttons stand exactly as the removal left them.
bool KeysStandAsRecorded(const MachineState& machine) {
  return !machine.buttons.ownKeyListed &&
         SameKeyNames(machine.buttons.others, machine.record.buttonKeys);
}

bool ApplyRemoval(TextOut& out, const MachineState& machine) {
  const RemovalRecord& record = machine.record;
  if (!record.install.IsNone() && machine.note.install != record.install) {
    Note(machine, record.stamp, "left as it is: the removed install's placement never reached it");
    out << "The removed install's placement never reached this account: its layout was left as "
           "it is.\n";
    return true;
  }
  if (!KeysStandAsRecorded(machine)) {
    Note(machine, record.stamp, kKeysChangedSinceRemoval);
    out << "The extension keys no longer stand as the removal left them (another button was "
           "added or removed since): this account's layout was left as it is, with the "
           "removed button's entries.\n"
        << "  What to do: " << kChangedKeysAdvice << "\n";
    return false;
  }
  // Noted before the layout changes: a note that cannot be written stops the
  // fix here, and a layout fixed twice would point entries at wrong buttons.
  Note(machine, record.stamp, "begun, not finished", nullptr, CurrentLayoutText());
  const commandbar::LayoutFix fix = commandbar::FixCurrentUsersLayout(record.Shift());
  const std::string outcome = FixOutcome(fix);
  Note(machine, record.stamp, outcome);
  out << "This account's command bar layout: " << outcome << ".\n";
  return commandbar::IsEditable(fix.found);
}

// Nothing is applied from a record that breaks its own rules: it could name
// any entry of the layout.
bool LeaveForDamagedRecord(TextOut& out, const RemovalRecord& record) {
  out << "The removal record cannot be used (" << record.damage
      << "): this account's layout was left as it is.\n"
      << "  What to do: an administrator deletes HKEY_LOCAL_MACHINE" << kRemovalKey
      << ", which leaves every layout as it is; an entry that then shows another button "
         "is taken off by hand.\n";
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
  // A layout left for changed keys still needs the change no run can make.
  const bool owed = note.outcome == kKeysChangedSinceRemoval &&
                    note.stamp == machine.record.stamp && !(note.stamp < machine.event);
  if (owed) out << "  What to do: " << kChangedKeysAdvice << "\n";
  if (!note.layoutBefore.empty()) {
    Note(machine, note.stamp, "fixed: the layout was written before a stop");
  } else if (note.stamp < machine.event) {
    Note(machine, machine.event, "unchanged: nothing to do");
  }
  return !owed;
}

bool InLine(TextOut& out) {
  const MachineState machine = ReadMachine();
  const UserNote& note = machine.note;
  if (machine.buttons.ownPosition >= 0) return Place(out, machine);
  const RemovalRecord& record = machine.record;
  // A fix stopped before its write is still owed; one stopped after it is not.
  const bool pending =
      note.stamp < record.stamp || (note.stamp == record.stamp && BegunAndNotWritten(note));
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
    out << "This account's turn (the mutex " << UserTurnMutexName() << ") cannot be claimed ("
        << SystemErrorText(turn.ErrorCode()) << "): nothing was read or changed.\n";
  }
}

}  // namespace

EventStamp LatestEvent(const EventStamp& component, const EventStamp& removal) {
  return std::max(component, removal);
}

std::string UserTurnMutexName() { return kUserTurnMutexPrefix + CurrentAccountSid(); }

bool BringThisUsersLayoutInLine(TextOut& out) {
  const NamedMutexClaim turn(UserTurnMutexName(), kUserTurnWaitMilliseconds);
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
