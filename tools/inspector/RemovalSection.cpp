#include "Deployment.h"
#include "RemovalRecord.h"
#include "Report.h"
#include "Sections.h"

void ReportRemoval(Report& report, bool installedAgain) {
  const RemovalRecord record = ReadRemovalRecord();
  if (record.serial == 0) return;
  if (installedAgain) {
    report.Out() << "Removal: an earlier removal (command id " << record.removedId
                 << ") is recorded; the button was installed again since.\n";
    return;
  }
  const UserRemovalNote note = ReadUserRemovalNote();
  report.Out() << "Removal: the button with command id " << record.removedId
               << " was removed from this machine; for this account ";
  if (note.serial >= record.serial) {
    report.Out() << "it is done (" << note.outcome << ").\n";
  } else {
    report.Out() << "the layout fix is pending (it runs at the next logon).\n";
  }
}
