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

/// An inspection's head: its title, whose view of the registry this is,
/// then the extension key.
MachineKey ReportHead(Report& report, const char* title);

/// The inspection's last line: `allWell`, or how many problems were found.
/// Returns that number.
int Summary(Report& report, const char* allWell);
