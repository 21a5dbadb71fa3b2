#include <string>
#include <vector>

#include "BrowserRegistry.h"
#include "Exceptions.h"
#include "IconFile.h"
#include "RegistryAccessor.h"
#include "RemovalRecord.h"
#include "Report.h"
#include "Sections.h"
#include "VirtualStore.h"
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

// One value's line; the value's name goes into `wrong` when it is not what
// this build writes.
void ReportValue(Report& report, RegistryAccessor& registry, const ExpectedValue& value,
                 std::vector<std::string>& wrong) {
  report.Out() << "  " << Padded(value.label, 17);
  const RegistryValueInfo info = registry.QueryValue(value.name);
  if (!info.exists) {
    report.Out() << "(missing)\n";
    wrong.push_back(value.label);
  } else if (!IsTextType(info.type)) {
    report.Out() << "(" << TypeAndSize(info) << ", not a text)\n";
    wrong.push_back(value.label);
  } else {
    try {
      const std::string text = registry.ReadText(value.name);
      const bool differs = value.text != nullptr && text != value.text;
      report.Out() << Quoted(text) << (differs ? "  (this build writes " : "")
                   << (differs ? Quoted(value.text) + ")" : "") << "\n";
      if (differs) wrong.push_back(value.label);
    } catch (const ERegistryException& e) {
      report.Out() << "(unreadable: " << Quoted(e.Message()) << ")\n";
      wrong.push_back(value.label);
    }
  }
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// The browser shows the picture only if the file is there; a value that
// reads right may still name nothing.
void ReportIconFile(Report& report, RegistryAccessor& registry) {
  if (!IsTextType(registry.QueryValue(browserreg::kIconValue).type)) return;
  std::string icon;
  try {
    icon = registry.ReadText(browserreg::kIconValue);
  } catch (const ERegistryException&) {
    return;  // reported with the value
  }
  if (IconFileExists(icon)) return;
  report.Problem(
      "the icon file that Icon names is not there: the browser shows the button "
      "without a picture.",
      std::string("Put shop.ico beside vorlinde.exe again. Or: ") + kWriteMachinePartThenFixLayout);
}

void ReportValues(Report& report, RegistryAccessor& registry) {
  std::vector<std::string> wrong;
  for (const ExpectedValue& value : kValues) ReportValue(report, registry, value, wrong);
  ReportIconFile(report, registry);
  if (wrong.empty()) return;
  report.Problem("the extension key does not hold what this build writes (" + Listed(wrong) +
                     "): the browser may show a wrong or broken button.",
                 kWriteMachinePartThenFixLayout);
}

void ReportCopies(Report& report, const std::vector<std::string>& copies) {
  for (const std::string& path : copies) {
    report.Out() << "Redirected copy HKEY_CURRENT_USER" << path << "\n";
  }
}

// A record that cannot be read (a link in its place) is the removal
// section's to name; here it only stops the report short.
bool RemovalRecorded() { return !ReadRemovalRecord().stamp.IsNone(); }

MachineKey ReportMissingKey(Report& report, const std::vector<std::string>& copies) {
  report.Out() << "  (no such key)\n";
  if (!copies.empty()) {
    ReportCopies(report, copies);
    report.Problem(
        "the extension key stands only in your VirtualStore: vorlinde.exe ran without "
        "administrative rights, Windows redirected its write there, and the browser will not "
        "show the button.",
        std::string(
            "Remove the redirected copy (vorlinde-inspect.exe /RemoveVirtualized). Then: ") +
            kWriteMachinePartThenFixLayout);
    return MachineKey::OnlyRedirected;
  }
  if (RemovalRecorded()) {
    // A removal that was meant is no problem; whoever asks for the machine
    // part alone (a deployment tool) is told that it is missing.
    report.Out() << "  The button was removed from this machine (vorlinde-inspect.exe /Remove). "
                    "To have it back: "
                 << kWriteMachinePartThenFixLayout << "\n";
    return MachineKey::Removed;
  }
  report.Problem("the button is not installed: the extension key is missing.",
                 kWriteMachinePartThenFixLayout);
  return MachineKey::Missing;
}

// Not a problem: a run without administrative rights beside a machine key
// that stands leaves such a copy, and the browser ignores it.
void ReportStrayCopies(Report& report, const std::vector<std::string>& copies) {
  if (copies.empty()) return;
  ReportCopies(report, copies);
  report.Out() << "  Note: the browser uses the machine's key and ignores this copy, left by a "
                  "run without administrative rights. To tidy up: "
                  "vorlinde-inspect.exe /RemoveVirtualized.\n";
}

// Not copies, and never followed: whoever planted one may hope that a
// clean-up run as administrator deletes what it leads to.
void ReportVirtualStoreLinks(Report& report) {
  for (const RegistryTreeEntry& link : VirtualStoreLinks()) {
    report.Out() << "Registry link HKEY_CURRENT_USER" << link.path << " to " << link.target
                 << ": not a redirected copy; not followed\n";
  }
}

MachineKey ReportMachineKey(Report& report) {
  const std::string path = OwnExtensionKey();
  report.Out() << "Extension key HKEY_LOCAL_MACHINE" << path << "\n";
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::LocalMachine);
  const KeyPresence presence = registry.ProbeSubkey(path);
  const std::vector<std::string> copies = ExistingVirtualStoreCopies();
  if (presence == KeyPresence::Missing) return ReportMissingKey(report, copies);
  if (presence == KeyPresence::Refused || !registry.OpenSubkey(path, false)) {
    report.Out() << "  (access denied)\n";
    report.Problem("this account may not read the extension key, so nothing here can be checked.",
                   "Run vorlinde-inspect.exe as an account that may read HKEY_LOCAL_MACHINE, "
                   "or ask an administrator to check the key's permissions.");
    return MachineKey::Refused;
  }
  ReportValues(report, registry);
  ReportStrayCopies(report, copies);
  return MachineKey::Present;
}

}  // namespace

MachineKey ReportExtensionKey(Report& report) {
  const MachineKey machineKey = ReportMachineKey(report);
  ReportVirtualStoreLinks(report);
  return machineKey;
}
