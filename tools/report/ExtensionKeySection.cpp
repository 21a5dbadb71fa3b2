#include <string>

#include "BrowserRegistry.h"
#include "Exceptions.h"
#include "RegistryAccessor.h"
#include "Report.h"
#include "Sections.h"
#include "VorlindeProgram.h"

namespace {

struct ExpectedValue {
  const char* name;
  const char* label;
  const char* text;  // what this build writes; null where it depends on the folder
};

const ExpectedValue kValues[] = {
    {browserreg::kDefaultValue, "(default)", ""},
    {browserreg::kButtonTextValue, "ButtonText", kButton.ButtonCaption},
    {browserreg::kDefaultVisibleValue, "Default Visible", kButton.DefaultVisible},
    {browserreg::kExecValue, "Exec", kButton.TargetUrl},
    {browserreg::kIconValue, "Icon", nullptr},
    {browserreg::kHotIconValue, "HotIcon", nullptr},
    {browserreg::kClsidValue, "clsid", kButton.ButtonClsid},
};

bool IsText(RegistryValueType type) {
  return type == RegistryValueType::Text || type == RegistryValueType::ExpandableText;
}

void ReportText(Report& report, RegistryAccessor& registry, const ExpectedValue& value) {
  try {
    const std::string text = registry.ReadText(value.name);
    report.Out() << Quoted(text) << "\n";
    if (value.text != nullptr && text != value.text) {
      report.Problem(std::string(value.label) +
                     " differs from what this build writes: " + Quoted(value.text));
    }
  } catch (const ERegistryException& e) {
    report.Out() << "(unreadable)\n";
    report.Problem(e.Message());
  }
}

void ReportValue(Report& report, RegistryAccessor& registry, const ExpectedValue& value) {
  std::string label = value.label;
  label.resize(17, ' ');
  report.Out() << "  " << label;
  const RegistryValueInfo info = registry.QueryValue(value.name);
  if (!info.exists) {
    report.Out() << "(missing)\n";
    report.Problem(std::string(value.label) + " is missing");
  } else if (!IsText(info.type)) {
    report.Out() << "(" << TypeAndSize(info) << ")\n";
    report.Problem(std::string(value.label) + " is " + TypeName(info.type) +
                   ", not a text (REG_SZ)");
  } else {
    ReportText(report, registry, value);
  }
}

}  // namespace

std::string OwnExtensionKey() {
  return std::string(browserreg::kExtensionsKey) + "\\" + kButton.KeyGuid;
}

bool ReportExtensionKey(Report& report) {
  const std::string path = OwnExtensionKey();
  report.Out() << "Extension key HKEY_LOCAL_MACHINE" << path << "\n";
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.HasSubkey(path)) {
    report.Problem("the extension key is missing: the button is not installed");
    return false;
  }
  // The accessor opens with full rights, as the program does.
  if (!registry.OpenSubkey(path, false)) {
    report.Problem(
        "the extension key exists but cannot be opened with full access "
        "(run as administrator)");
    return true;
  }
  for (const ExpectedValue& value : kValues) ReportValue(report, registry, value);
  return true;
}
