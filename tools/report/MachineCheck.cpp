#include "MachineCheck.h"

#include "Report.h"
#include "TextOut.h"

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

int InspectMachinePart(TextOut& out) {
  Report report(out);
  const MachineKey machineKey =
      ReportHead(report, "The machine part alone, as a deployment checks it (read only)");
  ReportCommandId(report, machineKey);
  out << "\n";
  ReportRegistryViews(report);
  out << "\n";
  return Summary(report, "All is well: the button is registered for this machine.");
}
