#include "InstallCheck.h"

#include "Report.h"
#include "Sections.h"

int InspectVorlinde(std::ostream& out) {
  Report report(out);
  out << "vorlinde-inspect: what the install left behind (read only)\n\n";
  const bool machineKeyPresent = ReportExtensionKey(report);
  ReportVirtualStore(report, machineKeyPresent);
  out << "\n";
  ReportCompanion(report);
  const std::int32_t id = ReportCommandId(report);
  out << "\n";
  ReportLayout(report, id);
  out << "\n";
  ReportRegistryViews(report);
  out << "\n";
  if (report.Problems() == 0) {
    out << "All is well: the button is registered and stands in the layout.\n";
  } else {
    out << report.Problems() << (report.Problems() == 1 ? " problem" : " problems") << " found.\n";
  }
  return report.Problems();
}
