#include "SameClassButtons.h"

#include "BrowserRegistry.h"
#include "CodePage.h"
#include "RegistryAccessor.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

SameClassButtons ListSameClassButtons(RegistryAccessor& machine) {
  SameClassButtons buttons{{}, -1};
  if (!machine.OpenSubkey(browserreg::kExtensionsKey, false)) return buttons;
  std::vector<std::string> names;
  machine.ListSubkeys(names);
  machine.CloseSubkey();
  for (const std::string& name : names) {
    if (buttons.ownPosition < 0 && SameTextIgnoringCase(name, kButton.KeyGuid)) {
      buttons.ownPosition = static_cast<std::int32_t>(buttons.others.size());
    } else if (IsMatchingButtonKey(machine, name, kButton.ButtonClsid)) {
      buttons.others.push_back(name);
    }
  }
  return buttons;
}

std::string JoinKeyNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : "\\") + name;
  return text;
}

std::vector<std::string> SplitKeyNames(const std::string& text) {
  std::vector<std::string> names;
  if (text.empty()) return names;
  std::size_t start = 0;
  for (std::size_t cut; (cut = text.find('\\', start)) != std::string::npos; start = cut + 1) {
    names.push_back(text.substr(start, cut - start));
  }
  names.push_back(text.substr(start));
  return names;
}

bool SameKeyNames(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameTextIgnoringCase(a[i], b[i])) return false;
  }
  return true;
}
