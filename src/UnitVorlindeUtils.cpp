#include "UnitVorlindeUtils.h"

#include <vector>

#include "AsciiText.h"
#include "BrowserRegistry.h"
#include "CodePage.h"
#include "CommandBarLayout.h"
#include "Exceptions.h"
#include "ExecutablePath.h"
#include "RegistryAccessor.h"
#include "ShellLaunch.h"
#include "SystemErrorText.h"
#include "TextFile.h"

namespace {

using browserreg::kExtensionsKey;

// The caption file keeps the bytes it has always had, those of code page
// 1252, whatever the system's code page.
constexpr unsigned kCaptionFileCodePage = 1252;

}  // namespace

// ---- Extension key ----------------------------------------------------------

std::string DirectoryWithBackslash(const std::string& path) {
  // In UTF-8 no byte of a longer character is ASCII: a plain search is exact.
  const std::size_t last = path.find_last_of("\\:");
  std::string directory = last == std::string::npos ? std::string() : path.substr(0, last + 1);
  if (directory.empty() || directory.back() != '\\') directory += '\\';
  return directory;
}

std::string ExecutableDirectory() { return DirectoryWithBackslash(ExecutablePath()); }

bool RegisterExtensionButton(const std::string& keyGuid, const std::string& buttonText,
                             const std::string& defaultVisible, const std::string& execTarget,
                             const std::string& iconFileName, const std::string& hotIconFileName,
                             const std::string& classId) {
  // Every value is worked out before the key is touched: an executable path
  // that cannot be taken whole raises here and leaves no key behind that the
  // browser could not use.
  return RegisterExtensionButton(ExecutableDirectory(), keyGuid, buttonText, defaultVisible,
                                 execTarget, iconFileName, hotIconFileName, classId);
}

std::vector<ExtensionKeyValue> ExtensionButtonValues(const std::string& iconDirectory,
                                                     const std::string& buttonText,
                                                     const std::string& defaultVisible,
                                                     const std::string& execTarget,
                                                     const std::string& iconFileName,
                                                     const std::string& hotIconFileName,
                                                     const std::string& classId) {
  return {{browserreg::kDefaultValue, ""},
          {browserreg::kButtonTextValue, buttonText},
          {browserreg::kDefaultVisibleValue, defaultVisible},
          {browserreg::kExecValue, execTarget},
          {browserreg::kIconValue, iconDirectory + iconFileName},
          {browserreg::kHotIconValue, iconDirectory + hotIconFileName},
          {browserreg::kClsidValue, classId}};
}

bool RegisterExtensionButton(const std::string& iconDirectory, const std::string& keyGuid,
                             const std::string& buttonText, const std::string& defaultVisible,
                             const std::string& execTarget, const std::string& iconFileName,
                             const std::string& hotIconFileName, const std::string& classId) {
  const std::vector<ExtensionKeyValue> values =
      ExtensionButtonValues(iconDirectory, buttonText, defaultVisible, execTarget, iconFileName,
                            hotIconFileName, classId);
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.OpenSubkey(std::string(kExtensionsKey) + "\\" + keyGuid, true)) return false;
  for (const ExtensionKeyValue& value : values) registry.WriteText(value.name, value.text);
  return true;  // the accessor closes the key and goes, also when a write raises
}

// ---- Button placement -------------------------------------------------------

namespace {

const std::string kCompanionParentKey = std::string(browserreg::kCompanionExtensionsKey) + "\\";

std::int32_t IndexOfKeyName(const std::vector<std::string>& names, const std::string& name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (SameKeyName(names[i], name)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

// Closes the accessor's open key when the examination of one key ends.
class OpenKeyScope {
 public:
  explicit OpenKeyScope(RegistryAccessor& registry) : registry_(registry) {}
  ~OpenKeyScope() { registry_.CloseSubkey(); }
  OpenKeyScope(const OpenKeyScope&) = delete;
  OpenKeyScope& operator=(const OpenKeyScope&) = delete;

 private:
  RegistryAccessor& registry_;
};

}  // namespace

bool ProbeCompanionButton(const std::string& companionKeyGuid) {
  try {
    RegistryAccessor registry;
    registry.SelectHive(RegistryRoot::LocalMachine);
    return registry.HasSubkey(kCompanionParentKey + companionKeyGuid);
  } catch (...) {
    return false;  // any doubt means the button goes where it goes alone
  }
}

namespace {

struct PrecedingButtons {
  bool listed;     // the Extensions key opened and its subkeys were listed
  bool ownListed;  // the own key is among them
  std::int32_t count;
};

PrecedingButtons CountBefore(RegistryAccessor& registry, const std::string& keyGuid,
                             const std::string& classId) {
  if (!registry.OpenSubkey(kExtensionsKey, false)) return {false, false, -1};
  std::vector<std::string> names;
  registry.ListSubkeys(names);
  registry.CloseSubkey();  // the listed keys are opened one by one below

  std::int32_t count = 0;
  const std::int32_t own = IndexOfKeyName(names, keyGuid);
  for (std::int32_t i = 0; i < own; ++i) {
    if (IsMatchingButtonKey(registry, names[static_cast<std::size_t>(i)], classId)) ++count;
  }
  return {true, own >= 0, count};
}

}  // namespace

// Read rights: the count only reads, and a key that the user (or even an
// administrator) may read but not write is still a button the browser shows.
Placement PlaceButtonInCommandBar(const std::string& keyGuid, const std::string& classId,
                                  std::int32_t entryIndex) {
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::LocalMachine);
  const PrecedingButtons before = CountBefore(registry, keyGuid, classId);
  // Without its own key the button is not installed, and an entry would
  // name whichever button holds that id.
  if (!before.listed || !before.ownListed) return Placement::NotInstalled;
  const bool written =
      InsertLayoutEntry(entryIndex, FirstCustomCommandId + before.count, commandbar::kShownFlag);
  return written ? Placement::Placed : Placement::LayoutKeyRefused;
}

std::int32_t CountPrecedingButtons(const std::string& keyGuid, const std::string& classId) {
  RegistryAccessor registry(RegistryRights::Read);
  registry.SelectHive(RegistryRoot::LocalMachine);
  return CountPrecedingButtons(registry, keyGuid, classId);
}

std::int32_t CountPrecedingButtons(RegistryAccessor& registry, const std::string& keyGuid,
                                   const std::string& classId) {
  return CountBefore(registry, keyGuid, classId).count;
}

bool IsMatchingButtonKey(RegistryAccessor& registry, const std::string& name,
                         const std::string& classId) {
  std::string path;  // one allocation per listed key, not one per piece
  path.reserve(sizeof kExtensionsKey + name.size());
  path.append(kExtensionsKey).append(1, '\\').append(name);
  if (!registry.OpenSubkey(path, false)) return false;
  const OpenKeyScope scope(registry);
  // Read first, so that a clsid of the wrong type is never hidden by a
  // missing text or icon.
  const std::string clsid = registry.ReadText(browserreg::kClsidValue);
  return SameAsciiTextIgnoringCase(clsid, classId) &&
         registry.HasValue(browserreg::kButtonTextValue) &&
         registry.HasValue(browserreg::kIconValue);
}

// ---- Command bar layout -----------------------------------------------------

std::int32_t ClampedEntryOffset(std::int32_t entryIndex, std::int32_t layoutLength) {
  return commandbar::ClampedEntryOffset(entryIndex, layoutLength);
}

bool InsertLayoutEntry(std::int32_t entryIndex, std::int32_t commandId, std::int32_t flag) {
  Check(commandId >= FirstCustomCommandId, "Eigene Buttons haben IDs im Bereich >= $10");
  // An entry holds the id in one byte: a larger id would name another button.
  Check(commandId <= browserreg::kLargestCommandId, "Eigene Buttons haben IDs im Bereich <= $FF");
  // An index counts places from the first entry: a negative one is a caller's fault.
  Check(entryIndex >= 0, "Der Eintragsindex darf nicht negativ sein");

  using commandbar::LayoutFound;
  RegistryAccessor registry;
  commandbar::LayoutRead layout =
      commandbar::ReadLayout(registry, commandbar::LayoutRules::InstallRun);
  if (layout.found == LayoutFound::KeyRefused) return false;
  Check(layout.found != LayoutFound::PartialEntry);
  commandbar::InsertEntry(layout.bytes, entryIndex, commandId, flag);
  commandbar::WriteLayout(registry, layout.bytes);
  return true;
}

// ---- Files and URL launch ---------------------------------------------------

void SaveShortcutFile(const std::string& url, const std::string& name) {
  const std::vector<std::string> lines = {"[InternetShortcut]", "URL=" + url};
  WriteTextFile(ReplaceExtension(ExecutablePath(), "_" + name + ".url"), lines);
}

void SaveCaptionFile(const std::string& text) {
  const std::vector<std::string> lines = {InCodePage(text, kCaptionFileCodePage)};
  WriteTextFile(ReplaceExtension(ExecutablePath(), "_TextAndHint.txt"), lines);
}

void OpenTargetUrl(const std::string& url) { OpenWithShell(url); }

void OpenWithShell(const std::string& target) {
  // Only the low 32 bits carry the shell's answer, and they count unsigned.
  const auto result = static_cast<std::uint32_t>(ShellExecuteDefaultVerb(target));
  if (result > 32) return;
  RaiseLastSystemError();  // the reason is in the last error, not in the result
}
