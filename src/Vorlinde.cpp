// Process entry of the windowed program: it opens no window and always
// reports success.
#include "VorlindeProgram.h"
#include "Win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunVorlinde();
  return 0;
}
