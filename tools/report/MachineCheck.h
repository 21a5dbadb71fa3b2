// The machine part of the inspection alone, as a deployment checks it, and
// the head and summary every inspection shares. It only reads.
#pragma once

#include "Sections.h"

class Report;
class TextOut;

/// The machine part alone (the extension key, and a command id it can
/// place), as a deployment checks it: the account that installs is not one
/// whose layout matters. Returns the number of problems found.
int InspectMachinePart(TextOut& out);

/// What a check of the machine looks at beside the extension key, given
/// what the report found of the key.
using MachineCheckAddition = void (*)(Report& report, MachineKey machineKey);

/// The machine check, with `addition` (none when null) after the key and
/// its command id. Returns the number of problems found.
int CheckMachine(TextOut& out, MachineCheckAddition addition);

/// An inspection's head: its title, whose view of the registry this is,
/// then the extension key.
MachineKey ReportHead(Report& report, const char* title);

/// The inspection's last line: `allWell`, or how many problems were found.
/// Returns that number.
int Summary(Report& report, const char* allWell);
