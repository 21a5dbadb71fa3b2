// vorlinde-agent: the per-user fix-up after a removal, as Active Setup runs
// it at each user's logon. A windowed program that opens no window, so that
// no console flashes up at logon; the inspector's /FixLayout does the same
// with words.
#include "Actions.h"
#include "TextOut.h"
#include "WindowedEntry.h"

int WindowedMain() {
  NoTextOut quiet;
  return FixLayout(quiet);
}
