/* The floor for a report run of vorlinde-inspect.exe: the same keys and
   values read (the account and its elevation, the bitness, the extension
   key's seven values and its icon file, the redirected copies' places, the
   companion, the count, the layout, the removal record) and a report of the
   size the command line names written to standard output in one piece. The
   benchmark measures the inspector's report in the same prefix and passes
   its size. */
#include <stdlib.h>

#include "Floor.h"

#define COPY_BELOW_CLASSES L"VirtualStore\\MACHINE\\SOFTWARE\\"
#define OWN_KEY_BELOW_SOFTWARE L"Microsoft\\Internet Explorer\\Extensions\\" KEY_GUID

static char report[1 << 16];
static DWORD used;

static void Note(const WCHAR* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, report + used,
                                   (int)(sizeof report - used), NULL, NULL);
  if (length > 0) used += (DWORD)length - 1;
}

static void ReadAccount(void) {
  HANDLE token;
  BYTE user[256];
  WCHAR name[256], domain[256];
  DWORD size, nameSize = 256, domainSize = 256;
  TOKEN_ELEVATION elevation;
  SID_NAME_USE use;
  BOOL wow64 = FALSE;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    if (GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
        LookupAccountSidW(NULL, ((TOKEN_USER*)user)->User.Sid, name, &nameSize, domain,
                          &domainSize, &use)) {
      Note(domain);
      Note(name);
    }
    GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
  }
  IsWow64Process(GetCurrentProcess(), &wow64);
}

static void ReadExtensionKey(void) {
  static const WCHAR* const kValues[] = {L"",     L"ButtonText", L"Default Visible", L"Exec",
                                         L"Icon", L"HotIcon",    L"clsid"};
  WCHAR text[TEXT_UNITS];
  HKEY key;
  int index;
  if (!OpenExtensionKey(KEY_GUID, &key)) return;
  for (index = 0; index < 7; ++index) {
    ReadTextValue(key, kValues[index], text);
    Note(text);
  }
  RegCloseKey(key);
  IconFileStands();
}

/* Where Windows would have put a redirected copy, in both views' forms. */
static void ReadCopies(void) {
  HKEY key = OpenItself(HKEY_CURRENT_USER, L"Software\\Classes",
                        COPY_BELOW_CLASSES OWN_KEY_BELOW_SOFTWARE, READ_RIGHTS, 0);
  if (key) RegCloseKey(key);
  key = OpenItself(HKEY_CURRENT_USER, L"Software\\Classes",
                   COPY_BELOW_CLASSES L"WOW6432Node\\" OWN_KEY_BELOW_SOFTWARE, READ_RIGHTS, 0);
  if (key) RegCloseKey(key);
}

static void ReadLayoutValue(void) {
  BYTE layout[LAYOUT_CAPACITY];
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, COMMAND_BAR, 0, READ_RIGHTS, &key)) return;
  ReadLayout(key, layout);
  RegCloseKey(key);
}

static void ReadRemovalRecord(void) {
  WCHAR text[TEXT_UNITS];
  HKEY key = OpenItself(HKEY_LOCAL_MACHINE, L"SOFTWARE", L"Vorlinde\\Removal", READ_RIGHTS, 0);
  if (!key) return;
  ReadTextValue(key, L"Stamp", text);
  ReadTextValue(key, L"ButtonKeys", text);
  RegCloseKey(key);
}

int main(void) {
  const WCHAR* size = wcsrchr(GetCommandLineW(), L' ');
  DWORD wanted = size ? (DWORD)_wtoi(size + 1) : 0, written, mode;
  HANDLE output;
  ReadAccount();
  ReadExtensionKey();
  ReadCopies();
  CompanionExists();
  IsSameClassButton(KEY_GUID);
  CountPrecedingButtons();
  ReadLayoutValue();
  ReadRemovalRecord();
  if (wanted > sizeof report) wanted = sizeof report;
  while (used < wanted) report[used++] = ' ';
  output = GetStdHandle(STD_OUTPUT_HANDLE);
  GetConsoleMode(output, &mode);
  WriteFile(output, report, wanted, &written, NULL);
  return 0;
}
