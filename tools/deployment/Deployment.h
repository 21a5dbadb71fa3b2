// Where the button's deployment keeps its own records: the Active Setup
// components that reach each user, and what a removal leaves for the users
// who were not logged on. Shared by the inspector, the fix-up and the tests.
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
/// The one component of Vorlinde's: it runs the per-user agent, which places
/// the button after an install and fixes the layout after a removal.
inline constexpr char kPlacementComponent[] = "Vorlinde";
/// An earlier removal's own component for the fix-up; a removal now takes it
/// out wherever it finds it.
inline constexpr char kLegacyFixUpComponent[] = "Vorlinde.LayoutFixUp";
inline constexpr char kStubPathValue[] = "StubPath";
inline constexpr char kVersionValue[] = "Version";
inline constexpr char kIsInstalledValue[] = "IsInstalled";

/// What a removal records for the other users' fix-ups, under the machine
/// hive (in the view the program writes), and each user's own record of it.
inline constexpr char kRemovalKey[] = "\\SOFTWARE\\Vorlinde\\Removal";
inline constexpr char kUserRemovalKey[] = "\\Software\\Vorlinde\\Removal";
/// A number that grows with each removal: one fix-up per user and removal.
inline constexpr char kSerialValue[] = "Serial";
/// The command id the removed button had.
inline constexpr char kRemovedIdValue[] = "RemovedId";
/// The names of the buttons of the same class, in the registry's order, as
/// they stood after the removal; a fix-up renumbers only while they still do.
inline constexpr char kButtonKeysValue[] = "ButtonKeys";
/// The position in that list where the removed button stood: the buttons
/// from there on each moved one id down.
inline constexpr char kRemovedPositionValue[] = "RemovedPosition";
/// In the user's record: what the fix-up did ("fixed", "unchanged: ...").
inline constexpr char kOutcomeValue[] = "Outcome";

/// The windowless program that Active Setup runs for the fix-up, and where
/// the removal puts a copy of it: in Common Files, which only administrators
/// may change, so that it outlives the program's own folder.
inline constexpr char kAgentFileName[] = "vorlinde-agent.exe";
inline constexpr char kFixUpFolderName[] = "Vorlinde";
inline constexpr char kWindowsCurrentVersionKey[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kCommonFilesDirValue[] = "CommonFilesDir";

}  // namespace deployment
