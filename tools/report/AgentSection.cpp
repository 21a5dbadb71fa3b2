#include <string>

#include "AgentRegistration.h"
#include "Deployment.h"
#include "FileCopy.h"
#include "MachinePart.h"
#include "RemovalRecord.h"
#include "Report.h"
#include "Sections.h"

namespace {

const char kRegisterAgain[] = "As an administrator: " VORLINDE_WRITE_MACHINE_PART
                              "; it registers the agent with a new Version.";

// The latest finished removal's stamp (an unfinished one is the removal's
// to complete); a damaged record is named, and its stamp counts as far as
// it could be read.
EventStamp LatestRemoval(Report& report) {
  const RemovalRecord record = ReadRemovalRecord();
  if (!record.damage.empty()) {
    report.Out() << "  (the removal record cannot be used: " << record.damage << ")\n";
  }
  return record.stamp;
}

// The StubPath as we write it: the agent's path in quotes.
std::string AgentPath(const std::string& stubPath) {
  if (stubPath.size() < 2 || stubPath.front() != '"' || stubPath.back() != '"') return stubPath;
  return stubPath.substr(1, stubPath.size() - 2);
}

}  // namespace

void ReportAgentComponent(Report& report) {
  const std::string name = PlacementComponent();
  report.Out() << "Per-user agent "
               << ComponentKeyName(name.empty() ? deployment::kPlacementComponentPrefix +
                                                      std::string("(no machine identity yet)")
                                                : name)
               << "\n";
  const AgentComponent component = ReadAgentComponent();
  if (!component.registered) {
    report.Out() << "  (not registered)\n";
    report.Problem(
        "the per-user agent is not registered with Active Setup: no user gets the "
        "button in their layout at their next logon.",
        kRegisterAgain);
    return;
  }
  report.Out() << "  Version " << Quoted(component.version.Text()) << ", runs "
               << component.stubPath << "\n";
  const EventStamp removal = LatestRemoval(report);
  if (component.version.IsNone() || component.version < removal) {
    report.Problem("the component's Version is " +
                       (component.version.IsNone()
                            ? std::string("no stamp")
                            : "lower than the latest removal's stamp " + removal.Text()) +
                       ": Active Setup runs the agent for no user who logged on since.",
                   kRegisterAgain);
  }
  if (!FileExists(AgentPath(component.stubPath))) {
    report.Problem(
        "the program the component runs is not there: no user's logon places the "
        "button.",
        kRegisterAgain);
  }
}
