#include "ProcessAccount.h"
#include "Report.h"
#include "Sections.h"
#include "WindowsBitness.h"

namespace {

const char* ElevationText(Elevation elevation) {
  switch (elevation) {
    case Elevation::Elevated:
      return "elevated (administrative rights in use)";
    case Elevation::NotElevated:
      return "not elevated";
    case Elevation::Unknown:
      break;
  }
  return "elevation unknown";
}

}  // namespace

// An administrator who elevates with another account inspects that
// account's layout and VirtualStore, not their own: say whose they are.
void ReportAccount(Report& report) {
  const std::string account = CurrentAccountName();
  report.Out() << "Account:   " << (account.empty() ? "(the system does not say)" : account)
               << ", " << ElevationText(CurrentElevation()) << "\n"
               << "Windows:   "
               << (RunsOn64BitWindows() ? "64-bit (this 32-bit inspector, like vorlinde.exe, "
                                          "sees the 32-bit registry view)"
                                        : "32-bit")
               << "\n";
}
