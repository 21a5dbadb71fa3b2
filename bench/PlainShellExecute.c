/* The floor for /OpenUrl: the same ShellExecuteA call, statically imported,
   and nothing else. */
#include <windows.h>
#include <shellapi.h>

#define URL "http://www.lindwurm-buecher.example/exec/partner/redirect-home?tag=vorlinde-21&site=home"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance, (void)previous, (void)commandLine, (void)show;
  ShellExecuteA(NULL, NULL, URL, NULL, NULL, SW_SHOWNORMAL);
  return 0;
}
