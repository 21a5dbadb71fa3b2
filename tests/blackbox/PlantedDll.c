/* A DLL to plant under the name of a system DLL: loaded, it appends the path
   of the program that loaded it to a file named after itself plus ".loaded".
   It imports only KERNEL32 and has no C runtime, so that it can stand in for
   any DLL the program or the shell might look for. */
#include <windows.h>

static void LeaveMarker(HINSTANCE self) {
  char marker[MAX_PATH + 16];
  char loader[MAX_PATH + 2];
  DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
  DWORD loaderLength = GetModuleFileNameA(NULL, loader, MAX_PATH);
  DWORD written;
  HANDLE file;
  if (length == 0 || length >= MAX_PATH || loaderLength >= MAX_PATH) return;
  lstrcpyA(marker + length, ".loaded");
  loader[loaderLength++] = '\r';
  loader[loaderLength++] = '\n';
  file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteFile(file, loader, loaderLength, &written, NULL);
  CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
  return TRUE;
}
