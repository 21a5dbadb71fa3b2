#include "ShellLaunch.h"

#include "SystemLibrary.h"
#include "Win32.h"

std::uintptr_t ShellExecuteDefaultVerb(const std::string& target) {
  // Only this mode needs the shell, so only this mode loads it; a shell that
  // cannot be loaded fails like one that refuses. The shell loads OLE32 on
  // its first call by bare name, and some systems (Wine) look for that
  // beside the program first, whatever the process's DLL search says;
  // loaded from the system directory beforehand, it is found loaded.
  const SystemLibrary com("ole32.dll");
  const SystemLibrary shell("shell32.dll");
  const auto shellExecute = reinterpret_cast<decltype(&ShellExecuteA)>(shell.Find("ShellExecuteA"));
  // A null operation lets the shell pick the target's default verb.
  const HINSTANCE result =
      shellExecute(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<std::uintptr_t>(result);
}
