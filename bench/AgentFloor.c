/* The floor for a run of vorlinde-agent.exe: the user's turn claimed (the
   mutex named with the user's SID), the same keys and values read (the
   same-class buttons, every listed key examined once; the install and the
   removal records; the machine's identity and its Active Setup component;
   the user's note; the layout), and the same layout and note written: the
   button placed when its id is in no entry, a recorded removal applied
   while the buttons stand as it left them, the note brought up to the
   latest event otherwise. */
#include "Floor.h"

#include <sddl.h>

#define SOFTWARE_HKLM L"SOFTWARE"
#define USER_SOFTWARE L"Software"
/* The note lies in the part of the profile that never roams. */
#define USER_LOCAL L"Software\\Classes\\Local Settings"
#define USER_NOTE L"Software\\Vorlinde\\Layout"
#define ACTIVE_SETUP L"Microsoft\\Active Setup\\Installed Components"

typedef struct {
  DWORD parts[4];
} Stamp;

static Stamp ParseStamp(const WCHAR* text) {
  Stamp stamp = {{0, 0, 0, 0}};
  int part = 0;
  for (; *text && part < 4; ++text) {
    if (*text == ',') ++part;
    else stamp.parts[part] = stamp.parts[part] * 10 + (DWORD)(*text - '0');
  }
  return stamp;
}

static int Earlier(const Stamp* a, const Stamp* b) {
  int part;
  for (part = 0; part < 4; ++part) {
    if (a->parts[part] != b->parts[part]) return a->parts[part] < b->parts[part];
  }
  return 0;
}

static int IsNone(const Stamp* stamp) {
  return !stamp->parts[0] && !stamp->parts[1] && !stamp->parts[2] && !stamp->parts[3];
}

static int HasEntry(const BYTE* layout, DWORD length, int id) {
  DWORD offset;
  for (offset = 0; offset + 4 <= length; offset += 4) {
    if (layout[offset] == id) return 1;
  }
  return 0;
}

static Stamp ReadStamp(HKEY key, const WCHAR* value) {
  WCHAR text[TEXT_UNITS];
  ReadTextValue(key, value, text);
  return ParseStamp(text);
}

typedef struct {
  Stamp stamp;
  DWORD removedId, removedPosition;
  WCHAR keys[TEXT_UNITS];
} Record;

static void ReadRecord(Record* record) {
  DWORD size = sizeof record->removedId;
  HKEY key = OpenItself(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, L"Vorlinde\\Removal", READ_RIGHTS, 0);
  if (!key) return;
  record->stamp = ReadStamp(key, L"Stamp");
  ReadStamp(key, L"PlannedStamp");
  RegQueryValueExW(key, L"RemovedId", NULL, NULL, (BYTE*)&record->removedId, &size);
  size = sizeof record->removedPosition;
  RegQueryValueExW(key, L"RemovedPosition", NULL, NULL, (BYTE*)&record->removedPosition, &size);
  ReadTextValue(key, L"ButtonKeys", record->keys);
  RegCloseKey(key);
}

/* What the install recorded: the agent reads its four values. */
static void ReadInstallRecord(void) {
  WCHAR text[TEXT_UNITS];
  DWORD number, size = sizeof number;
  HKEY key = OpenItself(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, L"Vorlinde\\Install", READ_RIGHTS, 0);
  if (!key) return;
  ReadStamp(key, L"Stamp");
  ReadTextValue(key, L"ButtonKeys", text);
  RegQueryValueExW(key, L"Position", NULL, NULL, (BYTE*)&number, &size);
  size = sizeof number;
  RegQueryValueExW(key, L"Adopted", NULL, NULL, (BYTE*)&number, &size);
  RegCloseKey(key);
}

/* The user's turn: one mutex for all of the user's sessions, named with the
   user's SID. */
static HANDLE ClaimTurn(void) {
  WCHAR name[256] = L"Global\\Vorlinde.UserLayout.";
  BYTE user[256];
  DWORD size = sizeof user;
  WCHAR* sid = NULL;
  HANDLE token, turn;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    if (GetTokenInformation(token, TokenUser, user, size, &size) &&
        ConvertSidToStringSidW(((TOKEN_USER*)user)->User.Sid, &sid)) {
      lstrcatW(name, sid);
      LocalFree(sid);
    }
    CloseHandle(token);
  }
  turn = CreateMutexW(NULL, FALSE, name);
  WaitForSingleObject(turn, 60000);
  return turn;
}

/* The Active Setup component's Version, or the user's note's Stamp. */
static Stamp ReadStampOf(HKEY root, const WCHAR* base, const WCHAR* rest, const WCHAR* value,
                         const WCHAR* other) {
  WCHAR text[TEXT_UNITS];
  Stamp stamp = {{0, 0, 0, 0}};
  HKEY key = OpenItself(root, base, rest, READ_RIGHTS, 0);
  if (!key) return stamp;
  ReadTextValue(key, other, text);
  stamp = ReadStamp(key, value);
  RegCloseKey(key);
  return stamp;
}

/* This machine's component, named by the machine's identity: one more read. */
static void ComponentPath(WCHAR* path) {
  WCHAR identity[TEXT_UNITS];
  HKEY key = OpenItself(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, L"Vorlinde.Machine", READ_RIGHTS, 0);
  identity[0] = 0;
  if (key) {
    ReadTextValue(key, L"Identity", identity);
    RegCloseKey(key);
  }
  lstrcpyW(path, ACTIVE_SETUP L"\\Vorlinde.");
  lstrcpynW(path + lstrlenW(path), identity, 40); /* a GUID in braces is 38 units */
}

/* The button at its index when no entry carries its id: one read, one write. */
static void Place(int id) {
  BYTE layout[LAYOUT_CAPACITY + 4];
  DWORD length;
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, COMMAND_BAR, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                      NULL) != ERROR_SUCCESS) {
    return;
  }
  length = ReadLayout(key, layout);
  if (id <= LARGEST_COMMAND_ID && !HasEntry(layout, length, id)) {
    length = InsertEntry(layout, length, CompanionExists() ? 3 : 2, id);
    RegSetValueExW(key, LAYOUT, 0, REG_BINARY, layout, length);
  }
  RegCloseKey(key);
}

static void WriteNote(const Stamp* stamp, const Stamp* component, const WCHAR* componentPath,
                      const WCHAR* outcome) {
  WCHAR text[64];
  HKEY key = OpenItself(HKEY_CURRENT_USER, USER_LOCAL, USER_NOTE, KEY_ALL_ACCESS, 1);
  wsprintfW(text, L"%u,%u,%u,%u", stamp->parts[0], stamp->parts[1], stamp->parts[2],
            stamp->parts[3]);
  if (!key) return;
  WriteText(key, L"Outcome", outcome);
  WriteText(key, L"Stamp", text);
  RegCloseKey(key);
  if (Earlier(stamp, component) || Earlier(component, stamp)) return;
  key = OpenItself(HKEY_CURRENT_USER, USER_SOFTWARE, componentPath, KEY_ALL_ACCESS, 1);
  if (!key) return;
  WriteText(key, L"Version", text);
  RegCloseKey(key);
}

/* The removed id's entries go; the later ids of its class move one down. */
static void ApplyRemoval(int removedId, int later) {
  BYTE layout[LAYOUT_CAPACITY], edited[LAYOUT_CAPACITY];
  DWORD length, offset, kept = 0;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, COMMAND_BAR, 0, KEY_ALL_ACCESS, &key)) return;
  length = ReadLayout(key, layout);
  for (offset = 0; offset + 4 <= length; offset += 4) {
    int id = layout[offset];
    if (id == removedId) continue;
    memcpy(edited + kept, layout + offset, 4);
    if (id > removedId && id <= removedId + later) edited[kept] = (BYTE)(id - 1);
    kept += 4;
  }
  if (length) RegSetValueExW(key, LAYOUT, 0, REG_BINARY, edited, kept);
  RegCloseKey(key);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  WCHAR listedKeys[TEXT_UNITS], componentPath[TEXT_UNITS];
  KeyList list;
  HANDLE turn = ClaimTurn();
  DWORD index;
  int own = -1, buttons = 0, ownListed = 0;
  Record record = {{{0, 0, 0, 0}}, 0, 0, {0}};
  Stamp component, note, event;
  (void)instance, (void)previous, (void)commandLine, (void)show;

  listedKeys[0] = 0;
  if (ListExtensions(&list)) {
    for (index = 0; index < list.count; ++index) {
      const int isOwn = lstrcmpiW(NameAt(&list, index), KEY_GUID) == 0;
      ownListed |= isOwn;
      if (!IsSameClassButton(NameAt(&list, index))) continue;
      if (isOwn) {
        own = buttons;
      } else if (lstrlenW(listedKeys) + list.stride + 1 < TEXT_UNITS) {
        if (buttons++) lstrcatW(listedKeys, L"\\");
        lstrcatW(listedKeys, NameAt(&list, index));
      }
    }
  }
  ReadInstallRecord();
  ReadRecord(&record);
  ComponentPath(componentPath);
  component = ReadStampOf(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, componentPath, L"Version",
                          L"StubPath");
  event = Earlier(&component, &record.stamp) ? record.stamp : component;
  note = ReadStampOf(HKEY_CURRENT_USER, USER_LOCAL, USER_NOTE, L"Stamp", L"Outcome");

  if (own >= 0) {
    Place(FIRST_COMMAND_ID + own);
    WriteNote(&event, &component, componentPath, L"placed: command id 16 at entry index 2");
    IconFileStands();
  } else if (!IsNone(&record.stamp) && Earlier(&note, &record.stamp)) {
    if (!ownListed && lstrcmpiW(listedKeys, record.keys) == 0) {
      WriteNote(&record.stamp, &component, componentPath, L"begun, not finished");
      ApplyRemoval((int)record.removedId, buttons - (int)record.removedPosition);
      WriteNote(&record.stamp, &component, componentPath,
                L"fixed: 1 entry removed, 0 entries renumbered");
    } else {
      WriteNote(&record.stamp, &component, componentPath,
                L"left as it is: the extension keys changed");
    }
  } else if (Earlier(&note, &event)) {
    WriteNote(&event, &component, componentPath, L"unchanged: nothing to do");
  }
  ReleaseMutex(turn);
  CloseHandle(turn);
  return 0;
}
