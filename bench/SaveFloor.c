/* The floor for /SaveAllToFile and /SaveUrlToFile: the same two files with
   the same bytes beside itself, named after it as the program names its
   own (the shortcut alone when the command line says /SaveUrlToFile). */
#include "Floor.h"

static const char kShortcut[] = "[InternetShortcut]\r\nURL=http://www.lindwurm-buecher.example"
                                "/exec/partner/redirect-home?tag=vorlinde-21&site=home\r\n";
static const char kCaption[] = "Lindwurm B\xFC" "cher\r\n"; /* code page 1252, as the program's */

static void WriteBeside(const WCHAR* name, const char* bytes, DWORD count) {
  WCHAR path[MAX_PATH + 32];
  DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH), written;
  HANDLE file;
  while (length > 0 && path[length - 1] != '.' && path[length - 1] != '\\') --length;
  if (length == 0 || path[length - 1] != '.') return;
  lstrcpyW(path + length - 1, name);
  file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteFile(file, bytes, count, &written, NULL);
  CloseHandle(file);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance, (void)previous, (void)commandLine, (void)show;
  WriteBeside(L"_Button.url", kShortcut, sizeof kShortcut - 1);
  if (!wcsstr(GetCommandLineW(), L"/SaveUrlToFile")) {
    WriteBeside(L"_TextAndHint.txt", kCaption, sizeof kCaption - 1);
  }
  return 0;
}
