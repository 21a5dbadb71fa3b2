#include "UnitVorlindeUtils.h"

#include "CodePage.h"
#include "ExecutablePath.h"
#include "RegistryAccessor.h"
#include "ShellLaunch.h"
#include "SystemErrorText.h"
#include "TextFile.h"

namespace {

const char kExtensionsKey[] = "\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

}  // namespace

// ---- Extension key ----------------------------------------------------------

std::string DirectoryWithBackslash(const std::string& path) {
  const std::size_t last = FindLastDelimiter(path, "\\:");
  std::string directory = last == std::string::npos ? std::string() : path.substr(0, last + 1);
  if (directory.empty() || directory.back() != '\\') directory += '\\';
  return directory;
}

std::string ExecutableDirectory() { return DirectoryWithBackslash(ExecutablePath()); }

bool RegisterExtensionButton(const std::string& keyGuid, const std::string& buttonText,
                             const std::string& defaultVisible, const std::string& execTarget,
                             const std::string& iconFileName, const std::string& hotIconFileName,
                             const std::string& classId) {
  RegistryAccessor registry;
  registry.SelectHive(RegistryRoot::LocalMachine);
  if (!registry.OpenSubkey(std::string(kExtensionsKey) + "\\" + keyGuid, true)) return false;
  registry.WriteText("", "");
  registry.WriteText("ButtonText", buttonText);
  registry.WriteText("Default Visible", defaultVisible);
  registry.WriteText("Exec", execTarget);
  registry.WriteText("Icon", ExecutableDirectory() + iconFileName);
  registry.WriteText("HotIcon", ExecutableDirectory() + hotIconFileName);
  registry.WriteText("clsid", classId);
  return true;  // the accessor closes the key and goes, also when a write raises
}

// ---- Files and URL launch ---------------------------------------------------

void SaveShortcutFile(const std::string& url, const std::string& name) {
  const std::vector<std::string> lines = {"[InternetShortcut]", "URL=" + url};
  WriteTextFile(ReplaceExtension(ExecutablePath(), "_" + name + ".url"), lines);
}

void SaveCaptionFile(const std::string& text) {
  const std::vector<std::string> lines = {text};
  WriteTextFile(ReplaceExtension(ExecutablePath(), "_TextAndHint.txt"), lines);
}

void OpenTargetUrl(const std::string& url) { OpenWithShell(url); }

void OpenWithShell(const std::string& target) {
  // Only the low 32 bits carry the shell's answer, and they count unsigned.
  const auto result = static_cast<std::uint32_t>(ShellExecuteDefaultVerb(target));
  if (result > 32) return;
  RaiseLastSystemError();  // the reason is in the last error, not in the result
}
