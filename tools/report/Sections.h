// The parts of the inspection, in the order an install run writes: the
// extension key, the companion probe and the command id, the layout.
#pragma once

#include <cstdint>

class Report;

/// The program's extension key and its seven values.
void ReportExtensionKey(Report& report);

/// Whether the companion button is installed, and so where the button goes.
void ReportCompanion(Report& report);

/// The command id a placement would give the button now; -1 when it cannot
/// be worked out.
std::int32_t ReportCommandId(Report& report);

/// The ButtonLayout value, entry by entry; entries with `commandId` are
/// marked as the button's.
void ReportLayout(Report& report, std::int32_t commandId);
