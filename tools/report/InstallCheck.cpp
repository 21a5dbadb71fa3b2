#include "InstallCheck.h"

#include "BrowserRegistry.h"
#include "Report.h"
#include "Sections.h"
#include "TextOut.h"
#include "UnitVorlindeUtils.h"

namespace {

std::int32_t Placeable(std::int32_t id) {
  return id >= FirstCustomCommandId && id <= browserreg::kLargestCommandId ? id : -1;
}

int Summary(Report& report, const char* allWell) {
  if (report.Problems() == 0) {
    report.Out() << allWell << "\n";
  } else {
    report.Out() << report.Problems() << (report.Problems() == 1 ? " problem" : " problems")
                 << " found.\n";
  }
  return report.Problems();
}

// Both reports begin alike: whose view of the registry this is, then the
// machine part.
MachineKey ReportHead(Report& report, const char* title) {
  report.Out() << title << "\n";
  ReportAccount(report);
  report.Out() << "\n";
  return ReportExtensionKey(report);
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
  return Summary(report, machineKey == MachineKey::Removed
                             ? "Nothing is wrong: the button was removed from this machine."
                             : "All is well: the button is registered and stands in the layout.");
}

namespace {

int MachineCheck(TextOut& out, bool withAgent) {
  Report report(out);
  const MachineKey machineKey =
      ReportHead(report, "vorlinde-inspect /CheckMachine: the machine part alone (read only)");
  if (machineKey == MachineKey::Removed) {
    report.Problem("the button is not installed on this machine: it was removed.",
                   kWriteMachinePartThenFixLayout);
  }
  ReportCommandId(report, machineKey);
  out << "\n";
  if (withAgent && machineKey == MachineKey::Present) {
    ReportAgentComponent(report);
    out << "\n";
  }
  ReportRegistryViews(report);
  out << "\n";
  return Summary(report, "All is well: the button is registered for this machine.");
}

}  // namespace

int InspectMachinePart(TextOut& out) { return MachineCheck(out, false); }

int InspectMachineAndAgent(TextOut& out) { return MachineCheck(out, true); }
