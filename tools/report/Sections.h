// The parts of the report, in the order it prints them: who looks, the
// extension key, the companion probe and the command id, the layout, the
// registry views, a recorded removal. Each only reads, with read rights.
#pragma once

#include <cstdint>
#include <string>

#include "MachinePart.h"
#include "OwnExtensionKey.h"

class Report;

/// The account inspected, whether it runs elevated, and the system's bitness.
void ReportAccount(Report& report);

/// What the report found of the machine part.
enum class MachineKey {
  Present,         // the extension key stands in the machine hive
  OnlyRedirected,  // it stands only in the user's VirtualStore
  Missing,         // it stands nowhere
  Removed,         // it stands nowhere, as a recorded removal left it
  Refused,         // the registry refused to let us read it
};

/// The program's extension key and its seven values, and copies of it that
/// Windows redirected to the user's VirtualStore.
MachineKey ReportExtensionKey(Report& report);

/// The way back to a machine part that is missing or wrong, in words a
/// reader can type as they stand: unlike a second install run of
/// vorlinde.exe, it adds no second entry to a layout that has one.
inline constexpr char kWriteMachinePartThenFixLayout[] =
    "Close Internet Explorer; " VORLINDE_WRITE_MACHINE_PART
    "; then run vorlinde-inspect.exe /FixLayout as this user.";

/// The per-user agent's Active Setup component: registered, its Version no
/// lower than the latest event recorded, and its program there.
void ReportAgentComponent(Report& report);

/// Whether the companion button is installed, and so where the button goes.
void ReportCompanion(Report& report);

/// The command id a placement would give the button now; -1 when it cannot
/// be worked out, or when there is no button to place.
std::int32_t ReportCommandId(Report& report, MachineKey machineKey);

/// The ButtonLayout value, entry by entry; entries with `placeableId` are
/// marked as the button's. -1 when the button cannot be placed: a missing
/// entry is then no problem of its own, since its cause is named already.
void ReportLayout(Report& report, std::int32_t placeableId);

/// On 64-bit Windows: in which registry view the extension key stands, and
/// the command id each view gives.
void ReportRegistryViews(Report& report);

/// A removal recorded on this machine, and where this account stands with it.
void ReportRemoval(Report& report, bool installedAgain);
