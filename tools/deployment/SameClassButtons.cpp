#include "SameClassButtons.h"

#include "BrowserRegistry.h"
#include "Exceptions.h"
#include "RegistryAccessor.h"
#include "UnitVorlindeUtils.h"
#include "VorlindeProgram.h"

namespace {

// The placement's own check, one open per key. Its refusals name neither
// key nor value: a clsid that is no text is named here, in the reader's
// words, once the check has refused it.
bool IsButtonOfTheClass(RegistryAccessor& machine, const std::string& name) {
  try {
    return IsMatchingButtonKey(machine, name, kButton.ButtonClsid);
  } catch (const ERegistryException&) {
    const std::string path = std::string(browserreg::kExtensionsKey) + "\\" + name;
    if (!machine.OpenSubkey(path, false)) throw;
    const RegistryValueInfo clsid = machine.QueryValue(browserreg::kClsidValue);
    machine.CloseSubkey();
    if (!clsid.exists || IsTextType(clsid.type)) throw;
    throw ERegistryException("the value \"" + std::string(browserreg::kClsidValue) +
                             "\" of HKEY_LOCAL_MACHINE" + path + " is not text (type " +
                             std::to_string(static_cast<std::uint32_t>(clsid.type)) + ")");
  }
}

}  // namespace

SameClassButtons ListSameClassButtons(RegistryAccessor& machine) {
  SameClassButtons buttons{{}, -1, false};
  if (!machine.OpenSubkey(browserreg::kExtensionsKey, false)) return buttons;
  std::vector<std::string> names;
  machine.ListSubkeys(names);
  machine.CloseSubkey();
  for (const std::string& name : names) {
    const bool own = !buttons.ownKeyListed && SameKeyName(name, kButton.KeyGuid);
    if (!IsButtonOfTheClass(machine, name)) {
      buttons.ownKeyListed = buttons.ownKeyListed || own;
    } else if (own) {
      buttons.ownKeyListed = true;
      buttons.ownPosition = static_cast<std::int32_t>(buttons.others.size());
    } else {
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
    if (!SameKeyName(a[i], b[i])) return false;
  }
  return true;
}
