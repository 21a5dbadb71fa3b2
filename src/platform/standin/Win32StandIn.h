// The native build's stand-in for the part of the Win32 API that the program
// and its tests call: same names, types, constants and results as Windows.
#pragma once

#include <cstdint>

// ---- Base types -----------------------------------------------------------
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using INT = int;
using BOOL = int;
using PBOOL = BOOL*;
using CHAR = char;
using LCID = DWORD;
using REGSAM = DWORD;
using LSTATUS = LONG;
using ULONG_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using HANDLE = void*;
using PHANDLE = HANDLE*;
using PDWORD = DWORD*;
using LPBOOL = BOOL*;
// Windows' WCHAR is 16 bits wide; Linux's wchar_t is not.
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPCWCH = const WCHAR*;
using LPCCH = const char*;
using PSID = void*;
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HWND__;
using HWND = HWND__*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;

using PSECURITY_DESCRIPTOR = void*;
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
#define WINAPI
#define APIENTRY

// ---- Error codes ----------------------------------------------------------
constexpr LONG ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_LENGTH = 24;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_HANDLE_DISK_FULL = 39;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_BAD_PATHNAME = 161;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_NOACCESS = 998;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr DWORD ERROR_NO_ASSOCIATION = 1155;
constexpr DWORD ERROR_NONE_MAPPED = 1332;

// ---- Registry (advapi32) --------------------------------------------------
// As in Windows: the 32-bit values sign-extended to the width of a pointer.
#define HKEY_CURRENT_USER \
  (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000001u))))
#define HKEY_LOCAL_MACHINE \
  (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000002u))))

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM STANDARD_RIGHTS_READ = 0x20000;
constexpr REGSAM DELETE = 0x10000;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_CREATE_LINK = 0x2;  // the new key is a link to another
constexpr DWORD REG_OPTION_OPEN_LINK = 0x8;    // a link at the end is opened, not followed
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_LINK = 6;  // a link's target, "\REGISTRY\MACHINE\...", UTF-16 without a zero
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                        REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                        LPDWORD disposition);
LSTATUS RegCloseKey(HKEY key);
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD dataSize);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);
LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                         LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values,
                         LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD securityDescriptor,
                         PFILETIME lastWriteTime);
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                      LPSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime);
LSTATUS RegDeleteTreeA(HKEY key, LPCSTR subKey);
LSTATUS RegDeleteKeyExA(HKEY key, LPCSTR subKey, REGSAM view, DWORD reserved);
LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName);
// The same calls with names and text in UTF-16, as the registry keeps them.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                        REGSAM desired, LPSECURITY_ATTRIBUTES security, PHKEY result,
                        LPDWORD disposition);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD dataSize);
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);
LSTATUS RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                         LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values,
                         LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD securityDescriptor,
                         PFILETIME lastWriteTime);
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved,
                      LPWSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime);
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);

// ---- Native registry call (ntdll, found with GetProcAddress) ---------------
using NTSTATUS = LONG;
/// Deletes the key the handle stands for (a link itself, if opened as one);
/// it must have no subkeys, and the handle DELETE rights.
NTSTATUS NtDeleteKey(HANDLE key);

// ---- Process, errors and messages (kernel32) ------------------------------
DWORD GetLastError();
void SetLastError(DWORD code);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
LPSTR GetCommandLineA();
LPWSTR GetCommandLineW();
HANDLE GetCurrentProcess();
BOOL IsWow64Process(HANDLE process, PBOOL wow64);

constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, void* arguments);
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, void* arguments);

// ---- Text and code pages (kernel32, user32) -------------------------------
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr DWORD NORM_IGNORECASE = 0x00000001;
constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;
int CompareStringW(LCID locale, DWORD flags, LPCWSTR string1, int count1, LPCWSTR string2,
                   int count2);
int CompareStringOrdinal(LPCWCH string1, int count1, LPCWCH string2, int count2, BOOL ignoreCase);

constexpr UINT CP_ACP = 0;
constexpr UINT MAX_LEADBYTES = 12;
constexpr UINT MAX_DEFAULTCHAR = 2;
struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
};
using LPCPINFO = CPINFO*;
UINT GetACP();
BOOL GetCPInfo(UINT codePage, LPCPINFO info);
BOOL IsDBCSLeadByte(BYTE testChar);
LPSTR CharNextA(LPCSTR current);

constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_PRECOMPOSED = 0x1;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteCount,
                        LPWSTR wide, int wideCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCCH defaultChar, LPBOOL usedDefaultChar);

// ---- Console and standard handles (kernel32) ------------------------------
constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);
constexpr DWORD ENABLE_PROCESSED_OUTPUT = 0x1;
constexpr DWORD ENABLE_WRAP_AT_EOL_OUTPUT = 0x2;
HANDLE GetStdHandle(DWORD stdHandle);
BOOL SetStdHandle(DWORD stdHandle, HANDLE handle);
BOOL GetConsoleMode(HANDLE console, LPDWORD mode);
BOOL WriteConsoleW(HANDLE console, const void* buffer, DWORD count, LPDWORD written,
                   LPVOID reserved);

// ---- Process token and accounts (advapi32) --------------------------------
constexpr DWORD TOKEN_QUERY = 0x0008;
enum TOKEN_INFORMATION_CLASS { TokenUser = 1, TokenElevation = 20 };
struct SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
};
struct TOKEN_USER {
  SID_AND_ATTRIBUTES User;
};
struct TOKEN_ELEVATION {
  DWORD TokenIsElevated;
};
enum SID_NAME_USE { SidTypeUser = 1 };
using PSID_NAME_USE = SID_NAME_USE*;
BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information,
                         DWORD length, PDWORD returnLength);
BOOL LookupAccountSidA(LPCSTR systemName, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                       LPDWORD domainSize, PSID_NAME_USE use);
BOOL LookupAccountSidW(LPCWSTR systemName, PSID sid, LPWSTR name, LPDWORD nameSize, LPWSTR domain,
                       LPDWORD domainSize, PSID_NAME_USE use);

// ---- Security descriptors (advapi32) --------------------------------------
// A kernel object's owner and the accounts its DACL lets in. The tokens the
// stand-in plays hold the account's user and Everyone, and, elevated, the
// Administrators group: it may then name Administrators the owner of what it
// makes, and is its default owner. Nothing plays SYSTEM.
using HLOCAL = void*;
using PULONG = std::uint32_t*;
struct ACL;
using PACL = ACL*;
constexpr DWORD ERROR_INVALID_OWNER = 1307;
constexpr DWORD SDDL_REVISION_1 = 1;
constexpr DWORD OWNER_SECURITY_INFORMATION = 0x1;
enum SE_OBJECT_TYPE { SE_KERNEL_OBJECT = 6 };
enum WELL_KNOWN_SID_TYPE { WinWorldSid = 1, WinLocalSystemSid = 22, WinBuiltinAdministratorsSid = 26 };
/// Of the security descriptor language: an owner ("O:"), a DACL ("D:", "D:P")
/// of access-allowed entries ("(A;;GA;;;BA)", rights GA or a number), and the
/// accounts BA, SY and WD; anything else is ERROR_INVALID_PARAMETER. The
/// descriptor is freed with LocalFree.
BOOL ConvertStringSecurityDescriptorToSecurityDescriptorW(LPCWSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor,
                                                          PULONG size);
/// The owner of a mutex (OWNER_SECURITY_INFORMATION only), pointing into a
/// descriptor that the caller frees with LocalFree.
DWORD GetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE type, DWORD information, PSID* owner,
                      PSID* group, PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* descriptor);
BOOL IsWellKnownSid(PSID sid, WELL_KNOWN_SID_TYPE type);
/// Null once freed; `memory` itself, with ERROR_INVALID_HANDLE, when it is
/// nothing the stand-in gave out.
HLOCAL LocalFree(HLOCAL memory);

// ---- Files (kernel32) -----------------------------------------------------
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1)))
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD MAX_PATH = 260;

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags, HANDLE templ);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL CloseHandle(HANDLE object);
DWORD GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart);
BOOL DeleteFileA(LPCSTR fileName);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);
BOOL RemoveDirectoryA(LPCSTR pathName);
DWORD GetFileAttributesA(LPCSTR fileName);
// The same calls with names in UTF-16, which the file system keeps (the
// stand-in's POSIX names in UTF-8, as Wine keeps them).
HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creation, DWORD flags, HANDLE templ);
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD size, LPWSTR buffer, LPWSTR* filePart);
BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
DWORD GetFileAttributesW(LPCWSTR fileName);

// ---- Named mutexes (kernel32) ---------------------------------------------
constexpr DWORD ERROR_NOT_OWNER = 288;
constexpr DWORD MUTEX_ALL_ACCESS = 0x1F0001;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD INFINITE = 0xFFFFFFFFu;
/// Opens the mutex `name` or creates it (ERROR_ALREADY_EXISTS when it stood);
/// a name in the "Local\" namespace is the session's own. Null on failure:
/// ERROR_ACCESS_DENIED when the standing one's DACL does not grant the
/// calling thread's token MUTEX_ALL_ACCESS, ERROR_INVALID_OWNER when
/// `security` names an owner the token may not name. A new one takes
/// `security`'s owner and DACL, or the token's defaults.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, const WCHAR* name);
/// Waits until the calling thread owns the mutex: WAIT_OBJECT_0, or
/// WAIT_ABANDONED when its owner thread ended without releasing it, or
/// WAIT_TIMEOUT. An owner may wait again, and then releases once more.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
/// FALSE with ERROR_NOT_OWNER unless the calling thread owns the mutex.
BOOL ReleaseMutex(HANDLE mutex);

// ---- Clock (kernel32) -----------------------------------------------------
struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;
/// The current time in UTC.
void GetSystemTime(LPSYSTEMTIME time);

// ---- Libraries (kernel32) -------------------------------------------------
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x8;
constexpr DWORD LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR = 0x100;
constexpr DWORD LOAD_LIBRARY_SEARCH_APPLICATION_DIR = 0x200;
constexpr DWORD LOAD_LIBRARY_SEARCH_USER_DIRS = 0x400;
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800;
constexpr DWORD LOAD_LIBRARY_SEARCH_DEFAULT_DIRS = 0x1000;
using FARPROC = INT_PTR (*)();

HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR procedureName);
HMODULE GetModuleHandleA(LPCSTR moduleName);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
BOOL SetDefaultDllDirectories(DWORD directoryFlags);
BOOL SetDllDirectoryA(LPCSTR pathName);

// ---- COM (ole32) ---------------------------------------------------------
using HRESULT = LONG;
struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
HRESULT CoCreateGuid(GUID* guid);

// ---- Shell (shell32) ------------------------------------------------------
constexpr INT SW_SHOWNORMAL = 1;
HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT showCommand);
