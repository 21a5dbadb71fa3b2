// vorlinde-fixup: the per-user fix-up after a removal, as Active Setup runs
// it at each user's logon. A windowed program that opens no window, so that
// no console flashes up at logon; the inspector's /FixLayout does the same
// with words.
#include "Actions.h"
#include "SystemLibrary.h"
#include "TextOut.h"
#include "Win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();  // before anything can load a DLL
  NoTextOut quiet;
  return FixLayout(quiet);
}
