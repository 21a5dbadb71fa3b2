/* The floor for an install run: the same registry work as the program's
   install mode (the extension key and its seven values, the companion
   probe, the Extensions key listed whole and each key before the own one
   examined with the same read rights, the layout edit), written as plain C
   with nothing else around it. Like the program, it places no entry when
   its own key is not listed, and none when the command id does not fit the
   entry's one byte (more than 239 buttons of the class before it). */
#include "Floor.h"

static void RegisterButton(void) {
  WCHAR icon[MAX_PATH + 16];
  DWORD length = GetModuleFileNameW(NULL, icon, MAX_PATH);
  HKEY key;
  while (length > 0 && icon[length - 1] != '\\') --length;
  lstrcpyW(icon + length, L"shop.ico");
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, EXTENSIONS L"\\" KEY_GUID, 0, NULL, 0, ALL_RIGHTS,
                      NULL, &key, NULL) != ERROR_SUCCESS) {
    return;
  }
  WriteText(key, L"", L"");
  WriteText(key, L"ButtonText", L"Lindwurm B\x00FC" L"cher");
  WriteText(key, L"Default Visible", L"YES");
  WriteText(key, L"Exec", URL);
  WriteText(key, L"Icon", icon);
  WriteText(key, L"HotIcon", icon);
  WriteText(key, L"clsid", CLSID);
  RegCloseKey(key);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  int index, count;
  (void)instance, (void)previous, (void)commandLine, (void)show;
  RegisterButton();
  index = CompanionExists() ? 3 : 2;
  count = CountPrecedingButtons();
  if (count >= 0 && FIRST_COMMAND_ID + count <= LARGEST_COMMAND_ID) {
    InsertLayoutEntry(index, FIRST_COMMAND_ID + count);
  }
  return 0;
}
