#include "Deployment.h"
#include "Exceptions.h"
#include "RemovalRecord.h"
#include "Report.h"
#include "Sections.h"
#include "UserNote.h"

namespace {

void ReportRecord(Report& report, const RemovalRecord& record, bool installedAgain) {
  if (installedAgain) {
    report.Out() << "Removal: an earlier removal (command id " << record.removedId
                 << ") is recorded; the button was installed again since.\n";
    return;
  }
  const UserNote note = ReadUserNote();
  report.Out() << "Removal: the button with command id " << record.removedId
               << " was removed from this machine; for this account ";
  if (!(note.stamp < record.stamp)) {
    report.Out() << "it is done (" << note.outcome << ").\n";
    if (note.stamp == record.stamp && note.outcome == kKeysChangedSinceRemoval) {
      report.Problem(
          "the per-user agent left this account's layout with the removed button's "
          "entries: the extension keys no longer stood as the removal recorded them, "
          "so no run of it fixes the layout.",
          kChangedKeysAdvice);
    }
  } else {
    report.Out() << "the layout fix is pending (it runs at the next logon).\n";
  }
}

}  // namespace

void ReportRemoval(Report& report, bool installedAgain) {
  try {
    const RemovalRecord record = ReadRemovalRecord();
    if (!record.damage.empty()) {
      report.Out() << "Removal: the record cannot be read: " << record.damage << "\n";
    } else if (!record.stamp.IsNone()) {
      ReportRecord(report, record, installedAgain);
    }
  } catch (const Exception& e) {
    report.Out() << "Removal: the record cannot be read: " << e.Message() << "\n";
  }
}
