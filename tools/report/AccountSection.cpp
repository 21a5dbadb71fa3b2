#include "Report.h"
#include "Sections.h"
#include "WindowsBitness.h"

void ReportAccount(Report& report) {
  report.Out() << "Windows:   "
               << (RunsOn64BitWindows() ? "64-bit (this 32-bit inspector, like vorlinde.exe, "
                                          "sees the 32-bit registry view)"
                                        : "32-bit")
               << "\n";
}
