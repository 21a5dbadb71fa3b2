// The parts of the inspection, in the order an install run writes: the
// extension key, the companion probe and the command id, the layout; then
// where else the key may stand.
#pragma once

#include <cstdint>
#include <string>

class Report;

/// The program's extension key, absolute under the machine hive.
std::string OwnExtensionKey();

/// The program's extension key and its seven values; whether the key stands
/// in the machine hive.
bool ReportExtensionKey(Report& report);

/// Copies of the extension key that Windows redirected to the current user's
/// VirtualStore, and what to do about them.
void ReportVirtualStore(Report& report, bool machineKeyPresent);

/// Whether the companion button is installed, and so where the button goes.
void ReportCompanion(Report& report);

/// The command id a placement would give the button now; -1 when it cannot
/// be worked out.
std::int32_t ReportCommandId(Report& report);

/// The ButtonLayout value, entry by entry; entries with `commandId` are
/// marked as the button's.
void ReportLayout(Report& report, std::int32_t commandId);

/// On 64-bit Windows: in which registry view the extension key stands, and
/// the command id each view gives.
void ReportRegistryViews(Report& report);
