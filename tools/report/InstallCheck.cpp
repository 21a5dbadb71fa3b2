#include "InstallCheck.h"

#include "BrowserRegistry.h"
#include "MachineCheck.h"
#include "Report.h"
#include "Sections.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"

namespace {

std::int32_t Placeable(std::int32_t id) {
  return id >= FirstCustomCommandId && id <= browserreg::kLargestCommandId ? id : -1;
}

}  // namespace

int InspectVorlinde(TextOut& out) {
  Report report(out);
  const MachineKey machineKey =
      ReportHead(report, "vorlinde-inspect: what the install left behind (read only)");
  out << "\n";
  ReportCompanion(report);
  const std::int32_t id = ReportCommandId(report, machineKey);
  out << "\n";
  ReportLayout(report, Placeable(id));
  out << "\n";
  ReportRegistryViews(report);
  ReportRemoval(report, machineKey == MachineKey::Present);
  out << "\n";
  return Summary(report, "All is well: the button is registered and stands in the layout.");
}
