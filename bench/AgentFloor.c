/* The floor for a run of vorlinde-agent.exe: the user's turn claimed (the
   mutex named with the user's SID); the same keys and values read (every
   listed key examined once; the install and removal records, each value
   checked for its type and range; the machine's identity and its Active
   Setup component; the user's note); the records checked against the keys
   as they stand; and the layout and the note each read once and written
   once: the placement shifts the later same-class ids one up and inserts
   the button, a recorded removal takes its entry out and moves the later
   ids one down, and a note of this install or removal already leaves all
   as it is. */
#include "Floor.h"

#include <sddl.h>

#define SOFTWARE_HKLM L"SOFTWARE"
#define USER_SOFTWARE L"Software"
/* The note lies in the part of the profile that never roams; an earlier
   version's in the part that does, read while there is no other. */
#define USER_LOCAL L"Software\\Classes\\Local Settings"
#define USER_NOTE L"Software\\Vorlinde\\Layout"
#define LEGACY_NOTE L"Vorlinde\\Layout"
#define ACTIVE_SETUP L"Microsoft\\Active Setup\\Installed Components"
#define KEY_NAMES_UNITS 65536 /* the records' lists of up to 1,000 and more keys */

typedef struct {
  DWORD parts[4];
} Stamp;

/* "a,b,c,d" of four numbers up to 65535, or none (0,0,0,0) when malformed. */
static Stamp ParseStamp(const WCHAR* text, int* sound) {
  Stamp stamp = {{0, 0, 0, 0}}, none = {{0, 0, 0, 0}};
  int part = 0, digits = 0;
  if (!*text) return stamp;
  for (; *text; ++text) {
    if (*text == ',' && digits && part < 3) {
      ++part, digits = 0;
    } else if (*text >= '0' && *text <= '9' && stamp.parts[part] < 6554) {
      stamp.parts[part] = stamp.parts[part] * 10 + (DWORD)(*text - '0'), ++digits;
    } else {
      *sound = 0;
      return none;
    }
  }
  if (part != 3 || !digits || stamp.parts[3] > 65535) *sound = 0;
  return stamp;
}

static int Earlier(const Stamp* a, const Stamp* b) {
  int part;
  for (part = 0; part < 4; ++part) {
    if (a->parts[part] != b->parts[part]) return a->parts[part] < b->parts[part];
  }
  return 0;
}

static int SameStamp(const Stamp* a, const Stamp* b) { return !Earlier(a, b) && !Earlier(b, a); }

static int IsNone(const Stamp* stamp) {
  return !stamp->parts[0] && !stamp->parts[1] && !stamp->parts[2] && !stamp->parts[3];
}

static Stamp ReadStamp(HKEY key, const WCHAR* value, int* sound) {
  WCHAR text[TEXT_UNITS];
  ReadTextValue(key, value, text);
  return ParseStamp(text, sound);
}

/* A REG_DWORD within [lowest, highest]; 0 and unsound otherwise. */
static DWORD ReadNumber(HKEY key, const WCHAR* value, DWORD lowest, DWORD highest, int* sound) {
  DWORD number = 0, type = REG_NONE, size = sizeof number;
  if (RegQueryValueExW(key, value, NULL, &type, (BYTE*)&number, &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof number || number < lowest || number > highest) {
    *sound = 0;
    return 0;
  }
  return number;
}

/* A list of key names, "\"-separated, and how many it holds. */
static DWORD ReadKeyNames(HKEY key, const WCHAR* value, WCHAR* names) {
  DWORD type = REG_NONE, size = (KEY_NAMES_UNITS - 1) * sizeof(WCHAR), count = 0;
  const WCHAR* at;
  names[0] = 0;
  if (RegQueryValueExW(key, value, NULL, &type, (BYTE*)names, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    names[0] = 0;
    return 0;
  }
  names[size / sizeof(WCHAR)] = 0;
  for (at = names; *at; ++at) count += *at == '\\';
  return names[0] ? count + 1 : 0;
}

typedef struct {
  Stamp stamp, planned, install;
  DWORD position, adopted, removedId, count;
  int sound;
  WCHAR names[KEY_NAMES_UNITS];
} Record;

static Record installRecord, removalRecord;

static void ReadInstallRecord(Record* record) {
  HKEY key = OpenItself(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, L"Vorlinde\\Install", READ_RIGHTS, 0);
  record->sound = 1;
  if (!key) return;
  record->stamp = ReadStamp(key, L"Stamp", &record->sound);
  record->count = ReadKeyNames(key, L"ButtonKeys", record->names);
  record->position = ReadNumber(key, L"Position", 0, record->count, &record->sound);
  record->adopted = ReadNumber(key, L"Adopted", 0, 1, &record->sound);
  RegCloseKey(key);
}

static void ReadRemovalRecord(Record* record) {
  HKEY key = OpenItself(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, L"Vorlinde\\Removal", READ_RIGHTS, 0);
  record->sound = 1;
  if (!key) return;
  record->stamp = ReadStamp(key, L"Stamp", &record->sound);
  record->planned = ReadStamp(key, L"PlannedStamp", &record->sound);
  record->removedId = ReadNumber(key, L"RemovedId", FIRST_COMMAND_ID, LARGEST_COMMAND_ID,
                                 &record->sound);
  record->count = ReadKeyNames(key, L"ButtonKeys", record->names);
  record->position = ReadNumber(key, L"RemovedPosition", 0, record->count, &record->sound);
  record->install = ReadStamp(key, L"InstallStamp", &record->sound);
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

typedef struct {
  Stamp stamp, install;
  WCHAR layoutBefore[TEXT_UNITS];
} Note;

static int ReadNote(HKEY root, const WCHAR* base, const WCHAR* rest, Note* note) {
  WCHAR outcome[TEXT_UNITS];
  int sound = 1;
  HKEY key = OpenItself(root, base, rest, READ_RIGHTS, 0);
  if (!key) return 0;
  note->stamp = ReadStamp(key, L"Stamp", &sound);
  ReadTextValue(key, L"Outcome", outcome);
  note->install = ReadStamp(key, L"InstallStamp", &sound);
  ReadTextValue(key, L"LayoutBefore", note->layoutBefore);
  RegCloseKey(key);
  return 1;
}

/* This machine's component, named by the machine's identity, and its Version. */
static Stamp ReadComponent(WCHAR* path) {
  WCHAR identity[TEXT_UNITS], stubPath[TEXT_UNITS];
  int sound = 1;
  Stamp version = {{0, 0, 0, 0}};
  HKEY key = OpenItself(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, L"Vorlinde.Machine", READ_RIGHTS, 0);
  identity[0] = 0;
  if (key) {
    ReadTextValue(key, L"Identity", identity);
    RegCloseKey(key);
  }
  lstrcpyW(path, ACTIVE_SETUP L"\\Vorlinde.");
  lstrcpynW(path + lstrlenW(path), identity, 40); /* a GUID in braces is 38 units */
  key = OpenItself(HKEY_LOCAL_MACHINE, SOFTWARE_HKLM, path, READ_RIGHTS, 0);
  if (!key) return version;
  ReadTextValue(key, L"StubPath", stubPath);
  version = ReadStamp(key, L"Version", &sound);
  RegCloseKey(key);
  return version;
}

/* "a,b,c,d": user32's wsprintfW would load a DLL the agent never loads. */
static void StampText(const Stamp* stamp, WCHAR* text) {
  int part;
  for (part = 0; part < 4; ++part) {
    WCHAR digits[8];
    int count = 0;
    DWORD number = stamp->parts[part];
    do digits[count++] = (WCHAR)('0' + number % 10), number /= 10;
    while (number);
    while (count) *text++ = digits[--count];
    if (part < 3) *text++ = ',';
  }
  *text = 0;
}

static void WriteNote(const Stamp* stamp, const Stamp* install, const Stamp* component,
                      const WCHAR* componentPath, const WCHAR* outcome) {
  WCHAR text[64], installText[64];
  HKEY key = OpenItself(HKEY_CURRENT_USER, USER_LOCAL, USER_NOTE, ALL_RIGHTS, 1);
  StampText(stamp, text);
  StampText(install, installText);
  if (!key) return;
  WriteText(key, L"Outcome", outcome);
  WriteText(key, L"InstallStamp", installText);
  RegDeleteValueW(key, L"LayoutBefore");
  WriteText(key, L"Stamp", text);
  RegCloseKey(key);
  if (!SameStamp(stamp, component)) return;
  key = OpenItself(HKEY_CURRENT_USER, USER_SOFTWARE, componentPath, ALL_RIGHTS, 1);
  if (!key) return;
  WriteText(key, L"Version", text);
  RegCloseKey(key);
}

/* Entries of ids in [first, last] one id up (step 1) or down (step -1). */
static int MoveIds(BYTE* layout, DWORD length, int first, int last, int step) {
  DWORD offset;
  int moved = 0;
  for (offset = 0; offset + 4 <= length; offset += 4) {
    if (layout[offset] >= first && layout[offset] <= last) {
      layout[offset] = (BYTE)(layout[offset] + step), ++moved;
    }
  }
  return moved;
}

static int HasEntry(const BYTE* layout, DWORD length, int id) {
  DWORD offset;
  for (offset = 0; offset + 4 <= length; offset += 4) {
    if (layout[offset] == id) return 1;
  }
  return 0;
}

/* The button placed as the mirror of its removal: one read, one write. */
static int Place(int id, int later) {
  BYTE layout[LAYOUT_CAPACITY + 4];
  DWORD length;
  HKEY key;
  int placed = 0;
  if (id > LARGEST_COMMAND_ID ||
      RegCreateKeyExW(HKEY_CURRENT_USER, COMMAND_BAR, 0, NULL, 0, ALL_RIGHTS, NULL, &key,
                      NULL) != ERROR_SUCCESS) {
    return 0;
  }
  length = ReadLayout(key, layout);
  if (MoveIds(layout, length, id, id + later - 1, 1) || !HasEntry(layout, length, id)) {
    length = InsertEntry(layout, length, CompanionExists() ? 3 : 2, id);
    placed = length <= LAYOUT_CAPACITY &&
             RegSetValueExW(key, LAYOUT, 0, REG_BINARY, layout, length) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return placed;
}

/* The removed id's entries go; the later ids of its class move one down. */
static void ApplyRemoval(int removedId, int later) {
  BYTE layout[LAYOUT_CAPACITY], edited[LAYOUT_CAPACITY];
  DWORD length, offset, kept = 0;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, COMMAND_BAR, 0, ALL_RIGHTS, &key)) return;
  length = ReadLayout(key, layout);
  for (offset = 0; offset + 4 <= length; offset += 4) {
    if (layout[offset] == removedId) continue;
    memcpy(edited + kept, layout + offset, 4);
    kept += 4;
  }
  MoveIds(edited, kept, removedId + 1, removedId + later, -1);
  if (length) RegSetValueExW(key, LAYOUT, 0, REG_BINARY, edited, kept);
  RegCloseKey(key);
}

/* Whether `listed` (the other same-class keys as they stand) names the same
   keys in the same order as a record's list. */
static int SameKeys(const WCHAR* listed, const Record* record) {
  return lstrcmpiW(listed, record->names) == 0;
}

static WCHAR listedKeys[KEY_NAMES_UNITS];

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  WCHAR componentPath[TEXT_UNITS];
  KeyList list;
  HANDLE turn = ClaimTurn();
  DWORD index, used = 0;
  int own = -1, buttons = 0, ownListed = 0, result = 0;
  Note note = {{{0, 0, 0, 0}}, {{0, 0, 0, 0}}, {0}};
  Stamp component, event;
  (void)instance, (void)previous, (void)commandLine, (void)show;

  if (ListExtensions(&list)) {
    for (index = 0; index < list.count; ++index) {
      const WCHAR* name = NameAt(&list, index);
      const int isOwn = lstrcmpiW(name, KEY_GUID) == 0;
      ownListed |= isOwn;
      if (!IsSameClassButton(name)) continue;
      if (isOwn) {
        own = buttons;
      } else if (used + list.stride + 1 < KEY_NAMES_UNITS) {
        if (buttons++) listedKeys[used++] = '\\';
        lstrcpyW(listedKeys + used, name);
        used += (DWORD)lstrlenW(name);
      }
    }
  }
  ReadInstallRecord(&installRecord);
  ReadRemovalRecord(&removalRecord);
  component = ReadComponent(componentPath);
  event = Earlier(&component, &removalRecord.stamp) ? removalRecord.stamp : component;
  if (!ReadNote(HKEY_CURRENT_USER, USER_LOCAL, USER_NOTE, &note)) {
    ReadNote(HKEY_CURRENT_USER, USER_SOFTWARE, LEGACY_NOTE, &note);
  }

  if (own >= 0) {
    const Record* install = &installRecord;
    const int recorded = !IsNone(&install->stamp);
    if (!install->sound) {
      result = 1;
    } else if (recorded && SameStamp(&note.install, &install->stamp) && !note.layoutBefore[0]) {
      if (Earlier(&note.stamp, &event)) {
        WriteNote(&event, &install->stamp, &component, componentPath, L"unchanged: placed");
      }
    } else if (recorded && !install->adopted &&
               (own != (int)install->position || !SameKeys(listedKeys, install))) {
      WriteNote(&event, &note.install, &component, componentPath,
                L"left as it is: the extension keys changed since the install");
      result = 1;
    } else {
      const int later = recorded && !install->adopted ? (int)(install->count - install->position) : 0;
      result = !Place(FIRST_COMMAND_ID + own, later);
      WriteNote(&event, &install->stamp, &component, componentPath,
                L"placed: command id 16 at entry index 2");
    }
    IconFileStands();
  } else if (!removalRecord.sound) {
    result = 1;
  } else if (!IsNone(&removalRecord.stamp) && Earlier(&note.stamp, &removalRecord.stamp)) {
    const Record* record = &removalRecord;
    if (!IsNone(&record->install) && !SameStamp(&note.install, &record->install)) {
      WriteNote(&record->stamp, &note.install, &component, componentPath,
                L"left as it is: the removed install's placement never reached it");
    } else if (!ownListed && SameKeys(listedKeys, record)) {
      ApplyRemoval((int)record->removedId, buttons - (int)record->position);
      WriteNote(&record->stamp, &note.install, &component, componentPath,
                L"fixed: 1 entry removed, 2 entries renumbered");
    } else {
      WriteNote(&record->stamp, &note.install, &component, componentPath,
                L"left as it is: the extension keys changed");
      result = 1;
    }
  } else if (Earlier(&note.stamp, &event)) {
    WriteNote(&event, &note.install, &component, componentPath, L"unchanged: nothing to do");
  }
  ReleaseMutex(turn);
  CloseHandle(turn);
  return result;
}
