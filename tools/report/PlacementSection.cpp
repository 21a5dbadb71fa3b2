#include <string>

#include "Exceptions.h"
#include "Report.h"
#include "Sections.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

void ReportCompanion(Report& report) {
  const bool installed = ProbeCompanionButton(kButton.CompanionKeyGuid);
  report.Out() << "Companion button " << kButton.CompanionKeyGuid << ": "
               << (installed ? "installed" : "not installed") << "; an install run puts "
               << "the button at entry index "
               << (installed ? kButton.LayoutIndexWithCompanion : kButton.LayoutIndexAlone) << "\n";
}

std::int32_t ReportCommandId(Report& report) {
  report.Out() << "Command id: ";
  std::int32_t count;
  try {
    count = CountPrecedingButtons(kButton.KeyGuid, kButton.ButtonClsid);
  } catch (const Exception& e) {
    report.Out() << "unknown\n";
    report.Problem("an install run would stop before the layout: " + e.Message());
    return -1;
  }
  if (count == -1) {
    report.Out() << "unknown\n";
    report.Problem(
        "no command id: the Extensions key is missing or does not open with "
        "full access");
    return -1;
  }
  const std::int32_t id = FirstCustomCommandId + count;
  report.Out() << id << " (16 + " << count << " button" << (count == 1 ? "" : "s")
               << " of the same class listed before this one)\n";
  return id;
}
