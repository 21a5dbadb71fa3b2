/* The control for the planted-DLL case: a program that does what the real
   ones must not. It imports VERSION at load time and loads UXTHEME by its
   bare name, so a DLL of either name beside it is loaded; the case must
   fail for it. */
#include <windows.h>

/* Referenced, never called: the planted VERSION exports nothing. */
DWORD(WINAPI* volatile keepVersionImport)(LPCSTR, LPDWORD) = GetFileVersionInfoSizeA;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  HMODULE theme;
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)show;
  theme = LoadLibraryA("uxtheme.dll");
  if (theme != NULL) FreeLibrary(theme);
  return 0;
}
