/* Plants registry links for the clean-up cases, as anyone can in their own
   hive; Wine's reg cannot, and follows them. registry_link.exe PATH [TARGET]
   first deletes a link standing at HKEY_CURRENT_USER\PATH (never what it
   leads to), then, with TARGET, a path in the system's form such as
   \REGISTRY\MACHINE\SOFTWARE\Victim, makes PATH a link to it (its parent
   must exist). A PATH that starts with HKLM\ is under HKEY_LOCAL_MACHINE
   instead. Paths are taken as written, in the 64-bit view where there is
   one. Exit code 0 on success. */
#include <wchar.h>
#include <windows.h>

static HKEY root = HKEY_CURRENT_USER;

typedef LONG(WINAPI* NtDeleteKeyFunction)(HANDLE key);

static int DeleteLink(const wchar_t* path) {
  NtDeleteKeyFunction deleteKey = (NtDeleteKeyFunction)(void (*)(void))GetProcAddress(
      GetModuleHandleA("ntdll.dll"), "NtDeleteKey");
  HKEY link;
  DWORD type = REG_NONE;
  int deleted = 1;
  if (RegOpenKeyExW(root, path, REG_OPTION_OPEN_LINK,
                    KEY_QUERY_VALUE | DELETE | KEY_WOW64_64KEY, &link) != ERROR_SUCCESS) {
    return 1; /* nothing there */
  }
  if (RegQueryValueExW(link, L"SymbolicLinkValue", NULL, &type, NULL, NULL) == ERROR_SUCCESS &&
      type == REG_LINK) {
    deleted = deleteKey(link) >= 0;
  }
  RegCloseKey(link);
  return deleted;
}

int wmain(int argc, wchar_t** argv) {
  HKEY link;
  LONG status;
  if (argc != 2 && argc != 3) return 2;
  if (wcsncmp(argv[1], L"HKLM\\", 5) == 0) {
    root = HKEY_LOCAL_MACHINE;
    argv[1] += 5;
  }
  if (!DeleteLink(argv[1])) return 1;
  if (argc == 2) return 0;
  if (RegCreateKeyExW(root, argv[1], 0, NULL, REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK | KEY_WOW64_64KEY, NULL, &link,
                      NULL) != ERROR_SUCCESS) {
    return 1;
  }
  /* The target without its terminating zero, as the registry wants it. */
  status = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE*)argv[2],
                          (DWORD)(lstrlenW(argv[2]) * sizeof(wchar_t)));
  RegCloseKey(link);
  return status == ERROR_SUCCESS ? 0 : 1;
}
