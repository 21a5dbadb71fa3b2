/* The least a windowed program can do: start and end. The floor for the
   save modes, and the benchmark's http handler, so that no browser starts. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance, (void)previous, (void)commandLine, (void)show;
  return 0;
}
