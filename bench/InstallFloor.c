/* The floor for an install run: the same registry work as the program's
   install mode (the same keys, values, enumeration and layout edit, each
   examined key opened with the same read rights), written as plain C against
   the system API with nothing else around it. Like the program, it places no
   entry when its own key is not listed, and it stops before the layout when
   the command id does not fit the entry's one byte (more than 239 buttons of
   the class before it). */
#include <windows.h>
#include <string.h>

#define EXTENSIONS "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions"
#define KEY_GUID "{8A918C1D-E123-4E36-B562-5C1519E434CE}"
#define COMPANION_GUID "{76577871-04EC-495E-A12B-91F7C3600AFA}"
#define CLSID "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"
#define URL "http://www.lindwurm-buecher.example/exec/partner/redirect-home?tag=vorlinde-21&site=home"
#define COMMAND_BAR "Software\\Microsoft\\Internet Explorer\\LowRegistry\\CommandBar"
#define READ_RIGHTS 0x20009 /* KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | READ_CONTROL */
#define FIRST_COMMAND_ID 16
#define LARGEST_COMMAND_ID 255

static void SetText(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text) + 1);
}

static void RegisterButton(void) {
  char icon[MAX_PATH + 16];
  DWORD length = GetModuleFileNameA(NULL, icon, MAX_PATH);
  while (length > 0 && icon[length - 1] != '\\') --length;
  strcpy(icon + length, "shop.ico");
  HKEY key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, EXTENSIONS "\\" KEY_GUID, 0, NULL, 0, KEY_ALL_ACCESS,
                      NULL, &key, NULL) != ERROR_SUCCESS) return;
  SetText(key, "", "");
  SetText(key, "ButtonText", "Lindwurm B\xFC" "cher");
  SetText(key, "Default Visible", "YES");
  SetText(key, "Exec", URL);
  SetText(key, "Icon", icon);
  SetText(key, "HotIcon", icon);
  SetText(key, "clsid", CLSID);
  RegCloseKey(key);
}

static int CompanionExists(void) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EXTENSIONS "\\" COMPANION_GUID, 0, READ_RIGHTS, &key)) return 0;
  RegCloseKey(key);
  return 1;
}

static int IsButtonKey(const char* name) {
  char path[512], clsid[64];
  DWORD size = sizeof clsid;
  HKEY key;
  int matches;
  strcpy(path, EXTENSIONS "\\");
  strcat(path, name);
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, READ_RIGHTS, &key)) return 0;
  matches = RegQueryValueExA(key, "clsid", NULL, NULL, (BYTE*)clsid, &size) == ERROR_SUCCESS &&
            lstrcmpiA(clsid, CLSID) == 0 &&
            RegQueryValueExA(key, "ButtonText", NULL, NULL, NULL, NULL) == ERROR_SUCCESS &&
            RegQueryValueExA(key, "Icon", NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
  RegCloseKey(key);
  return matches;
}

/* -1 when the Extensions key cannot be opened or does not list the own key. */
static int CountPrecedingButtons(void) {
  HKEY key;
  DWORD count = 0, index;
  int buttons = 0, listed = 0;
  char name[256];
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EXTENSIONS, 0, READ_RIGHTS, &key)) return -1;
  RegQueryInfoKeyA(key, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
  for (index = 0; index < count; ++index) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, index, name, &size, NULL, NULL, NULL, NULL)) continue;
    if (lstrcmpiA(name, KEY_GUID) == 0) {
      listed = 1;
      break;
    }
    buttons += IsButtonKey(name);
  }
  RegCloseKey(key);
  return listed ? buttons : -1;
}

static void InsertLayoutEntry(int index, int commandId) {
  static const BYTE fallback[28] = {7, 0, 0, 0, 1, 1, 0, 0, 3, 1, 0, 0, 4, 1, 0, 0,
                                    5, 1, 0, 0, 6, 1, 0, 0, 7, 1, 0, 0};
  BYTE layout[2048 + 4];
  DWORD length = 2048;
  DWORD offset;
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, COMMAND_BAR, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                      NULL) != ERROR_SUCCESS) return;
  if (RegQueryValueExA(key, "ButtonLayout", NULL, NULL, layout, &length) || length == 0) {
    memcpy(layout, fallback, sizeof fallback);
    length = sizeof fallback;
  }
  offset = (DWORD)index * 4 < length - 4 ? (DWORD)index * 4 : length - 4;
  memmove(layout + offset + 4, layout + offset, length - offset);
  layout[offset] = (BYTE)commandId;
  layout[offset + 1] = 1;
  layout[offset + 2] = layout[offset + 3] = 0;
  RegSetValueExA(key, "ButtonLayout", 0, REG_BINARY, layout, length + 4);
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
