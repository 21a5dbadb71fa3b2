#include <string>

#include "Exceptions.h"
#include "RegistryAccessor.h"
#include "Report.h"
#include "Sections.h"
#include "VorlindeProgram.h"

namespace {

const char kExtensionsKey[] = "\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";

struct ExpectedValue {
  const char* name;
  const char* label;
  const char* text;  // what this build writes; null where it depends on the folder
};

const ExpectedValue kValues[] = {
    {"", "(default)", ""},
    {"ButtonText", "ButtonText", kButton.ButtonCaption},
    {"Default Visible", "Default Visible", kButton.DefaultVisible},
    {"Exec", "Exec", kButton.TargetUrl},
    {"Icon", "Icon", nullptr},
    {"HotIcon", "HotIcon", nullptr},
    {"clsid", "clsid", kButton.ButtonClsid},
};

void ReportValue(Report& report, RegistryAccessor& registry, const ExpectedValue& value) {
  std::string label = value.label;
  label.resize(17, ' ');
  report.Out() << "  " << label;
  if (!registry.HasValue(value.name)) {
    report.Out() << "(missing)\n";
    report.Problem(std::string(value.label) + " is missing");
    return;
  }
  try {
    const std::string text = registry.ReadText(value.name);
    report.Out() << Quoted(text) << "\n";
    if (value.text != nullptr && text != value.text) {
      report.Problem(std::string(value.label) +
                     " differs from what this build writes: " + Quoted(value.text));
    }
  } catch (const ERegistryException& e) {
    report.Out() << "(not a text)\n";
    report.Problem(e.Message());
  }
}

}  // namespace

void ReportExtensionKey(Report& report) {
  const std::string path = std::string(kExtensionsKey) + kButton.KeyGuid;
  report.Out() << "Extension key HKEY_LOCAL_MACHINE" << path << "\n";
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.HasSubkey(path)) {
    report.Problem("the extension key is missing: the button is not installed");
    return;
  }
  // The accessor opens with full rights, as the program does.
  if (!registry.OpenSubkey(path, false)) {
    report.Problem(
        "the extension key exists but cannot be opened with full access "
        "(run as administrator)");
    return;
  }
  for (const ExpectedValue& value : kValues) ReportValue(report, registry, value);
}
