#include "WindowedEntry.h"

#include "SystemLibrary.h"
#include "Win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();  // before anything can load a DLL
  return WindowedMain();
}
