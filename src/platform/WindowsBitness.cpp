#include "WindowsBitness.h"

#include "Win32.h"

bool RunsOn64BitWindows() {
#ifdef _WIN64
  // The 64-bit test twin: a 64-bit process is never under WOW64, yet always
  // on 64-bit Windows.
  return true;
#else
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}
