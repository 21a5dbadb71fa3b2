#include <string>

#include "BrowserRegistry.h"
#include "Exceptions.h"
#include "RegistryAccessor.h"
#include "Report.h"
#include "SameClassButtons.h"
#include "Sections.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

std::string Buttons(std::int32_t count) {
  return std::to_string(count) + (count == 1 ? " button" : " buttons");
}

void ReportUnplaceable(Report& report, std::int32_t id) {
  report.Problem("the command id " + std::to_string(id) +
                     " cannot be placed: a layout entry holds the id in one byte, so ids above " +
                     std::to_string(browserreg::kLargestCommandId) +
                     " never reach the layout, and an install run stops before it.",
                 "Remove extension keys of unused buttons of the same class that are listed "
                 "before this one, then run vorlinde-inspect.exe /FixLayout as each user.");
}

}  // namespace

void ReportCompanion(Report& report) {
  const bool installed = ProbeCompanionButton(kButton.CompanionKeyGuid);
  report.Out() << "Companion button " << kButton.CompanionKeyGuid << ": "
               << (installed ? "installed" : "not installed") << "; an install run puts "
               << "the button at entry index " << kButton.LayoutIndex(installed) << "\n";
}

std::int32_t ReportCommandId(Report& report, MachineKey machineKey) {
  report.Out() << "Command id: ";
  if (machineKey != MachineKey::Present) {
    report.Out() << "none (the extension key is not in the machine hive)\n";
    return -1;
  }
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::LocalMachine);
  std::int32_t count;
  try {
    if (!IsMatchingButtonKey(registry, kButton.KeyGuid, kButton.ButtonClsid)) {
      report.Out() << "none (the extension key is no button of its class: the browser gives it "
                      "no id)\n";
      return -1;
    }
    count = CountPrecedingButtons(registry, kButton.KeyGuid, kButton.ButtonClsid);
  } catch (const Exception& e) {
    report.Out() << "unknown\n";
    report.Problem(
        "another extension key listed before this one is malformed, so an install "
        "run stops before the layout (vorlinde.exe's own message: " +
            Quoted(e.Message()) + ").",
        kMalformedButtonKeyAdvice);
    return -1;
  }
  if (count == -1) {  // the key itself was readable a moment ago
    report.Out() << "unknown (the Extensions key cannot be read)\n";
    return -1;
  }
  const std::int32_t id = FirstCustomCommandId + count;
  report.Out() << id << " (16 + " << Buttons(count)
               << " of the same class listed before this one)\n";
  if (id > browserreg::kLargestCommandId) ReportUnplaceable(report, id);
  return id;
}
