#include "WindowsBitness.h"

#include "Win32.h"

bool RunsOn64BitWindows() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
