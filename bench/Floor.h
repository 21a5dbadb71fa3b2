/* What the floors share: the keys, values and steps of the programs' work,
   done as a plain C program does them, with the system's wide calls and
   nothing around them: names in fixed buffers, one read per value, the
   Extensions key listed once. Each floor includes it; a floor that does not
   call a step leaves it out (the steps are static and inline). */
#include <string.h>
#include <windows.h>

#define EXTENSIONS L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions"
#define KEY_GUID L"{8A918C1D-E123-4E36-B562-5C1519E434CE}"
#define COMPANION_GUID L"{76577871-04EC-495E-A12B-91F7C3600AFA}"
#define CLSID L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"
#define URL L"http://www.lindwurm-buecher.example/exec/partner/redirect-home?tag=vorlinde-21&site=home"
#define COMMAND_BAR L"Software\\Microsoft\\Internet Explorer\\LowRegistry\\CommandBar"
#define LAYOUT L"ButtonLayout"
/* The programs are 32-bit: where they stand as their 64-bit twin they name
   the 32-bit registry view in every open, and so does a floor built for 64
   bits, so that both read and write the same keys. */
#ifdef _WIN64
#define VIEW KEY_WOW64_32KEY
#else
#define VIEW 0
#endif
#define READ_RIGHTS (0x20009 | VIEW) /* KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | READ_CONTROL */
#define ALL_RIGHTS (KEY_ALL_ACCESS | VIEW)
#define FIRST_COMMAND_ID 16
#define LARGEST_COMMAND_ID 255
#define LAYOUT_CAPACITY 2048
#define TEXT_UNITS 1024

static const BYTE kDefaultLayout[28] = {7, 0, 0, 0, 1, 1, 0, 0, 3, 1, 0, 0, 4, 1,
                                        0, 0, 5, 1, 0, 0, 6, 1, 0, 0, 7, 1, 0, 0};

/* A text value into `text` in one read; empty when absent or no text. */
static __inline void ReadTextValue(HKEY key, const WCHAR* name, WCHAR* text) {
  DWORD type = REG_NONE, size = (TEXT_UNITS - 1) * sizeof(WCHAR);
  text[0] = 0;
  if (RegQueryValueExW(key, name, NULL, &type, (BYTE*)text, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    text[0] = 0;
    return;
  }
  text[size / sizeof(WCHAR)] = 0;
}

static __inline int HasValue(HKEY key, const WCHAR* name) {
  return RegQueryValueExW(key, name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

static __inline int SameAsciiText(const WCHAR* a, const WCHAR* b) {
  for (; *a && *b; ++a, ++b) {
    WCHAR x = *a >= 'a' && *a <= 'z' ? *a - 32 : *a, y = *b >= 'a' && *b <= 'z' ? *b - 32 : *b;
    if (x != y) return 0;
  }
  return *a == *b;
}

static __inline int OpenExtensionKey(const WCHAR* name, HKEY* key) {
  WCHAR path[300];
  lstrcpyW(path, EXTENSIONS L"\\");
  lstrcatW(path, name);
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, READ_RIGHTS, key) == ERROR_SUCCESS;
}

/* Whether the listed key `name` is a button of the class with a text and an
   icon: one open, the clsid in one read, then the two existence tests. */
static __inline int IsSameClassButton(const WCHAR* name) {
  WCHAR clsid[64];
  DWORD type = REG_NONE, size = sizeof clsid - sizeof(WCHAR);
  HKEY key;
  int matches;
  if (!OpenExtensionKey(name, &key)) return 0;
  clsid[0] = 0;
  if (RegQueryValueExW(key, L"clsid", NULL, &type, (BYTE*)clsid, &size) == ERROR_SUCCESS) {
    clsid[size / sizeof(WCHAR)] = 0;
  }
  matches = (type == REG_SZ || type == REG_EXPAND_SZ) && SameAsciiText(clsid, CLSID) &&
            HasValue(key, L"ButtonText") && HasValue(key, L"Icon");
  RegCloseKey(key);
  return matches;
}

typedef struct {
  WCHAR* names; /* `count` names of `stride` units each */
  DWORD count, stride;
} KeyList;

static __inline const WCHAR* NameAt(const KeyList* list, DWORD index) {
  return list->names + index * list->stride;
}

/* The Extensions key's subkeys, all listed and the key closed before any of
   them is opened, as the programs do. 0 when the key cannot be read. */
static __inline int ListExtensions(KeyList* list) {
  HKEY key;
  DWORD index, longest = 0;
  list->count = 0;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, EXTENSIONS, 0, READ_RIGHTS, &key)) return 0;
  RegQueryInfoKeyW(key, NULL, NULL, NULL, &list->count, &longest, NULL, NULL, NULL, NULL, NULL,
                   NULL);
  list->stride = longest + 1;
  list->names = (WCHAR*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                  (list->count + 1) * list->stride * sizeof(WCHAR));
  for (index = 0; index < list->count; ++index) {
    DWORD size = list->stride;
    RegEnumKeyExW(key, index, list->names + index * list->stride, &size, NULL, NULL, NULL, NULL);
  }
  RegCloseKey(key);
  return 1;
}

/* Index of the own key in the list, -1 when it is not listed. */
static __inline int OwnIndex(const KeyList* list) {
  DWORD index;
  for (index = 0; index < list->count; ++index) {
    if (lstrcmpiW(NameAt(list, index), KEY_GUID) == 0) return (int)index;
  }
  return -1;
}

/* Same-class buttons listed before the own key; -1 when the Extensions key
   cannot be read or does not list the own key. */
static __inline int CountPrecedingButtons(void) {
  KeyList list;
  int own, index, count = 0;
  if (!ListExtensions(&list)) return -1;
  own = OwnIndex(&list);
  for (index = 0; index < own; ++index) count += IsSameClassButton(NameAt(&list, index));
  return own < 0 ? -1 : count;
}

static __inline int CompanionExists(void) {
  HKEY key;
  if (!OpenExtensionKey(COMPANION_GUID, &key)) return 0;
  RegCloseKey(key);
  return 1;
}

/* The current user's layout in one read; its length, 0 when there is none. */
static __inline DWORD ReadLayout(HKEY key, BYTE* layout) {
  DWORD length = LAYOUT_CAPACITY;
  if (RegQueryValueExW(key, LAYOUT, NULL, NULL, layout, &length) != ERROR_SUCCESS) return 0;
  return length;
}

/* One entry more at `index` (never behind the last) in a layout of
   `length` bytes; the default layout when there is none. */
static __inline DWORD InsertEntry(BYTE* layout, DWORD length, int index, int commandId) {
  DWORD offset;
  if (length == 0) {
    memcpy(layout, kDefaultLayout, sizeof kDefaultLayout);
    length = sizeof kDefaultLayout;
  }
  offset = (DWORD)index * 4 < length - 4 ? (DWORD)index * 4 : length - 4;
  memmove(layout + offset + 4, layout + offset, length - offset);
  layout[offset] = (BYTE)commandId;
  layout[offset + 1] = 1;
  layout[offset + 2] = layout[offset + 3] = 0;
  return length + 4;
}

static __inline void InsertLayoutEntry(int index, int commandId) {
  BYTE layout[LAYOUT_CAPACITY + 4];
  DWORD length;
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, COMMAND_BAR, 0, NULL, 0, ALL_RIGHTS, NULL, &key,
                      NULL) != ERROR_SUCCESS) {
    return;
  }
  length = InsertEntry(layout, ReadLayout(key, layout), index, commandId);
  RegSetValueExW(key, LAYOUT, 0, REG_BINARY, layout, length);
  RegCloseKey(key);
}

/* A key of our own opened as itself: `base` through the links the system
   lays out, then one name at a time, each checked for being a link, as
   every key the programs write or keep records in is opened. */
static __inline HKEY OpenItself(HKEY root, const WCHAR* base, const WCHAR* rest, REGSAM rights,
                       int create) {
  WCHAR name[256];
  HKEY key, next;
  const WCHAR* at = rest;
  LONG status = create ? RegCreateKeyExW(root, base, 0, NULL, 0, READ_RIGHTS | KEY_CREATE_SUB_KEY,
                                         NULL, &key, NULL)
                       : RegOpenKeyExW(root, base, 0, READ_RIGHTS, &key);
  if (status != ERROR_SUCCESS) return NULL;
  while (*at) {
    int length = 0;
    DWORD type = REG_NONE;
    while (at[length] && at[length] != '\\') name[length] = at[length], ++length;
    name[length] = 0;
    at += at[length] ? length + 1 : length;
    status = RegOpenKeyExW(key, name, REG_OPTION_OPEN_LINK,
                           *at ? READ_RIGHTS | (create ? KEY_CREATE_SUB_KEY : 0) : rights, &next);
    if (status == ERROR_FILE_NOT_FOUND && create) {
      status = RegCreateKeyExW(key, name, 0, NULL, 0, rights, NULL, &next, NULL);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return NULL;
    key = next;
    if (RegQueryValueExW(key, L"SymbolicLinkValue", NULL, &type, NULL, NULL) == ERROR_SUCCESS &&
        type == REG_LINK) {
      RegCloseKey(key);
      return NULL;
    }
  }
  return key;
}

static __inline void WriteText(HKEY key, const WCHAR* name, const WCHAR* text) {
  RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)text,
                 (DWORD)(lstrlenW(text) + 1) * sizeof(WCHAR));
}

/* The icon the own key names, and whether that file is there. */
static __inline int IconFileStands(void) {
  WCHAR icon[TEXT_UNITS];
  HKEY key;
  if (!OpenExtensionKey(KEY_GUID, &key)) return 0;
  ReadTextValue(key, L"Icon", icon);
  RegCloseKey(key);
  return icon[0] && GetFileAttributesW(icon) != INVALID_FILE_ATTRIBUTES;
}
