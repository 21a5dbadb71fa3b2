// The windowed program: it opens no window and always reports success.
#include "VorlindeProgram.h"
#include "WindowedEntry.h"

int WindowedMain() {
  RunVorlinde();
  return 0;
}
