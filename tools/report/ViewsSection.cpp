#include <string>

#include "Exceptions.h"
#include "RegistryAccessor.h"
#include "Report.h"
#include "Sections.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"
#include "WindowsBitness.h"

namespace {

struct View {
  RegistryView view;
  const char* label;
};

const View kViews[] = {
    {RegistryView::Bits32, "32-bit view (WOW6432Node)"},
    {RegistryView::Bits64, "64-bit view"},
};

std::string CommandIdIn(RegistryAccessor& registry) {
  try {
    const std::int32_t count =
        CountPrecedingButtons(registry, kButton.KeyGuid, kButton.ButtonClsid);
    if (count == -1) return "unknown (no Extensions key opens with full access)";
    return std::to_string(FirstCustomCommandId + count);
  } catch (const Exception& e) {
    return "unknown (" + e.Message() + ")";
  }
}

void ReportView(Report& report, const View& view) {
  RegistryAccessor registry(RegistryRights::Read, view.view);
  registry.SelectHive(RegistryRoot::LocalMachine);
  const bool present = registry.HasSubkey(OwnExtensionKey());
  std::string label = view.label;
  label.resize(27, ' ');
  report.Out() << "  " << label << "extension key " << (present ? "present" : "missing")
               << ", command id " << CommandIdIn(registry) << "\n";
}

}  // namespace

void ReportRegistryViews(Report& report) {
  if (!RunsOn64BitWindows()) {
    report.Out() << "Registry views: one (32-bit system)\n";
    return;
  }
  report.Out() << "Registry views (64-bit system; vorlinde.exe, a 32-bit program, writes to "
                  "the 32-bit view)\n";
  for (const View& view : kViews) ReportView(report, view);
}
