// Process entry of the windowed program: it opens no window and always
// reports success.
#include "SystemLibrary.h"
#include "VorlindeProgram.h"
#include "Win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();  // before anything can load a DLL
  RunVorlinde();
  return 0;
}
