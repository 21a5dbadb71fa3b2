// vorlinde-inspect: prints what an install run of vorlinde.exe left in the
// registry. Exit code 0 when all is well, 1 when it names a problem.
// With /RemoveVirtualized it deletes the redirected copies of the extension
// key instead; exit code 0 when none is left.
#include <iostream>

#include "CommandLine.h"
#include "InstallCheck.h"
#include "SystemLibrary.h"

int main() {
  RestrictDllSearch();  // before anything can load a DLL
  const bool ok = HasCommandLineSwitch("RemoveVirtualized") ? RemoveVirtualizedInstall(std::cout)
                                                            : InspectVorlinde(std::cout) == 0;
  std::cout.flush();
  return ok ? 0 : 1;
}
