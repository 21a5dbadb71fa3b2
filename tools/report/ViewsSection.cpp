#include <string>

#include "Exceptions.h"
#include "RegistryAccessor.h"
#include "Report.h"
#include "Sections.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"
#include "WindowsBitness.h"

namespace {

std::string CommandIdIn(RegistryAccessor& registry) {
  try {
    const std::int32_t count =
        CountPrecedingButtons(registry, kButton.KeyGuid, kButton.ButtonClsid);
    if (count == -1) return "unknown (the Extensions key cannot be read)";
    return std::to_string(FirstCustomCommandId + count);
  } catch (const Exception& e) {
    return "unknown (" + Quoted(e.Message()) + ")";
  }
}

// Informational only: the extension key section judges the view the browser
// reads; the other view's keys are nobody's business here.
std::string ViewLine(RegistryView view) {
  RegistryAccessor registry(RegistryRights::Read, view);
  registry.SelectHive(RegistryRoot::LocalMachine);
  switch (registry.ProbeSubkey(OwnExtensionKey())) {
    case KeyPresence::Present:
      return "extension key present, command id " + CommandIdIn(registry);
    case KeyPresence::Refused:
      return "extension key not readable (access denied)";
    case KeyPresence::Missing:
      break;
  }
  return "no extension key";
}

}  // namespace

void ReportRegistryViews(Report& report) {
  if (!RunsOn64BitWindows()) {
    report.Out() << "Registry views: one (32-bit Windows)\n";
    return;
  }
  report.Out() << "Registry views (64-bit Windows)\n"
               << "  32-bit view (WOW6432Node)  " << ViewLine(RegistryView::Bits32)
               << "\n    (the view Internet Explorer's 32-bit process reads, and where "
                  "vorlinde.exe writes)\n"
               << "  64-bit view                " << ViewLine(RegistryView::Bits64)
               << "\n    (not read for this button; a missing key here is as it should be)\n";
}
