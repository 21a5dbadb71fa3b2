// Where the button's deployment keeps its own records: the Active Setup
// components that reach each user, and what a removal leaves for the users
// who were not logged on. Shared by the inspector, the per-user agent, the
// package's actions and the tests.
#pragma once

namespace deployment {

/// Windows' Active Setup: a component's key under the machine hive names a
/// command that runs once for each user, at that user's next logon, and
/// again whenever the machine's Version is higher than the user's copy.
inline constexpr char kActiveSetupKey[] =
    "\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components";
/// The user's copy, where Active Setup notes the Version it ran for them.
inline constexpr char kUserActiveSetupKey[] =
    "\\Software\\Microsoft\\Active Setup\\Installed Components";
/// The one component of Vorlinde's on a machine: it runs the per-user agent,
/// which places the button after an install and fixes the layout after a
/// removal. Its name is this prefix and the machine's identity
/// (kMachineIdentityValue), because the user's copy roams with the profile:
/// under one name for every machine, a later Version that another machine
/// stamped would keep Active Setup from running this machine's events.
inline constexpr char kPlacementComponentPrefix[] = "Vorlinde.";
/// The one name earlier versions gave that component on every machine, and
/// an earlier removal's own component for the fix-up: taken out wherever
/// they are found.
inline constexpr char kLegacyPlacementComponent[] = "Vorlinde";
inline constexpr char kLegacyFixUpComponent[] = "Vorlinde.LayoutFixUp";
inline constexpr char kStubPathValue[] = "StubPath";
inline constexpr char kVersionValue[] = "Version";
inline constexpr char kIsInstalledValue[] = "IsInstalled";

/// What a removal records for the other users' layouts, under the machine
/// hive (in the view the program writes).
inline constexpr char kMachineSoftwareKey[] = "\\SOFTWARE";
inline constexpr char kRemovalKey[] = "\\SOFTWARE\\Vorlinde\\Removal";
/// The removal's event stamp, written once the button's key is gone, and the
/// Version of the component that applies it (see EventStamp.h).
inline constexpr char kStampValue[] = "Stamp";
/// The stamp a removal is to have, written before the button's key goes; a
/// removal stopped after that finishes when it is run again.
inline constexpr char kPlannedStampValue[] = "PlannedStamp";
/// The command id the removed button had.
inline constexpr char kRemovedIdValue[] = "RemovedId";
/// The names of the buttons of the same class, in the registry's order, as
/// they stood after the removal; a fix-up renumbers only while they still do.
inline constexpr char kButtonKeysValue[] = "ButtonKeys";
/// The position in that list where the removed button stood: the buttons
/// from there on each moved one id down.
inline constexpr char kRemovedPositionValue[] = "RemovedPosition";

/// What an install records, where its machine part is written, for the
/// agent's placement: its stamp (kStampValue), the same-class buttons
/// besides the program's (kButtonKeysValue) and the program's position
/// among them, as they stood once the button's key was written.
inline constexpr char kInstallKey[] = "\\SOFTWARE\\Vorlinde\\Install";
inline constexpr char kPositionValue[] = "Position";
/// 1 when the keys were recorded after the install, by a repair or an
/// upgrade of an install older than the record: then no one knows the ids
/// the install moved.
inline constexpr char kAdoptedValue[] = "Adopted";
/// Written before the button's key by an install that finds no button of
/// its own counted, and taken away once its record is whole: a run stopped
/// after the key and run again finishes as the install it began, not as one
/// older than the records.
inline constexpr char kUnderWayValue[] = "UnderWay";
/// In the removal record: the stamp of the install it removed, whose
/// placement alone it undoes.
inline constexpr char kInstallStampValue[] = "InstallStamp";

/// The highest stamp this machine has used for an event, kept apart from the
/// records above so that deleting them (once every user has logged on)
/// never lets a later stamp fall below one a user's copy holds.
inline constexpr char kStampMarkKey[] = "\\SOFTWARE\\Vorlinde.Machine";
inline constexpr char kHighestStampValue[] = "HighestStamp";
/// Beside it, for the same reason: this machine's own GUID, made by the
/// first install and kept for good, which names its Active Setup component.
inline constexpr char kMachineIdentityValue[] = "Identity";
// A renewal of the identity under way (/RenewIdentity), beside it: the
// identity it renews and the one it gives, so that a run stopped anywhere is
// finished by the next with the same two and leaves no component behind.
inline constexpr char kRenewedFromValue[] = "RenewedFrom";
inline constexpr char kRenewingToValue[] = "RenewingTo";

/// Each user's note of the agent's last run for them on this machine: the
/// event's stamp (kStampValue) and what came of it. In the part of the
/// user's hive that never roams with the profile, so that no other
/// machine's events ever stand for this one's.
inline constexpr char kUserLocalKey[] = "\\Software\\Classes\\Local Settings";
inline constexpr char kUserNoteKey[] =
    "\\Software\\Classes\\Local Settings\\Software\\Vorlinde\\Layout";
/// Where earlier versions kept the note, in the part that roams: read only
/// while a user has no note of this machine's yet, and only for the event
/// of this machine whose stamp it carries: it names no machine.
inline constexpr char kUserSoftwareKey[] = "\\Software";
inline constexpr char kLegacyUserNoteKey[] = "\\Software\\Vorlinde\\Layout";
inline constexpr char kOutcomeValue[] = "Outcome";
/// In the note, while a placement is begun: the layout before it, as hex.
inline constexpr char kLayoutBeforeValue[] = "LayoutBefore";

/// Claimed by every run of the agent (at logon, /FixLayout, /Remove) before
/// it reads the note, so that one at a time brings the layout in line: a
/// mutex of the machine's global namespace, so that it covers every session
/// of the user, named by this prefix and the user's SID, and released by
/// Windows when its owner ends. vorlinde.exe's install run takes no turn.
inline constexpr char kUserTurnMutexPrefix[] = "Global\\Vorlinde.UserLayout.";
/// How long a second writer waits for the first before it leaves.
inline constexpr unsigned kUserTurnWaitMilliseconds = 60000;

/// Claimed by every run that reads machine-wide values and writes them after
/// (the stamps, the machine's identity, the records, the extension key):
/// /InstallMachinePart, the package's steps and /Remove, one at a time on the
/// machine, in every session. Only Administrators and SYSTEM may open it,
/// and one that another account made first is refused, never waited for:
/// no standard user can hold the machine's turn.
inline constexpr char kMachineTurnMutex[] = "Global\\Vorlinde.Machine";
inline constexpr unsigned kMachineTurnWaitMilliseconds = 60000;

/// The windowless per-user agent that Active Setup runs, and where the
/// removal puts a copy of it: in Common Files, which only administrators
/// may change, so that it outlives the program's own folder.
inline constexpr char kAgentFileName[] = "vorlinde-agent.exe";
inline constexpr char kAgentFolderName[] = "Vorlinde";
inline constexpr char kWindowsCurrentVersionKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kCommonFilesDirValue[] = "CommonFilesDir";

}  // namespace deployment
