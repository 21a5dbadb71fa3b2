// vorlinde-agent: brings each user's command bar layout in line with the
// machine (the button placed after an install, the layout fixed after a
// removal), as Active Setup runs it at each user's logon. A windowed program
// that opens no window, so that no console flashes up at logon; the
// inspector's /FixLayout does the same with words. Exit code 0 when the
// layout is in line, 1 when it needs a change this run could not make.
#include "Actions.h"
#include "TextOut.h"
#include "WindowedEntry.h"

int WindowedMain() {
  NoTextOut quiet;
  return FixLayout(quiet);
}
