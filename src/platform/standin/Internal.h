// Shared inside the stand-in only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Win32StandIn.h"

namespace standin {

/// Upper case of one byte in the current ANSI code page (letters of code page
/// 1252; in a double-byte code page only a to z).
unsigned char FoldToUpper(unsigned char byte);
std::string FoldToUpper(const std::string& text);

/// UTF-8, the stand-in's own form of names and text, and the forms the calls
/// take: UTF-16 for the "W" calls, the ANSI code page for the "A" calls. A
/// surrogate without its partner, which Windows' names may hold, keeps the
/// three-byte form of its number in UTF-8 and comes back. An ANSI text
/// beyond the stand-in's tables gives false; a character the code page lacks
/// becomes its best fit or "?".
std::u16string WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::u16string& wide);
bool Utf8FromAnsi(const std::string& ansi, std::string& utf8);
std::string AnsiFromUtf8(const std::string& utf8);
/// A key's or value's name in the upper case the registry compares and
/// sorts names by.
std::string FoldName(const std::string& utf8);
/// Number of UTF-16 units of `utf8`: the length the registry gives a name.
std::size_t Utf16Length(const std::string& utf8);

/// The full form of a Windows file name, as GetFullPathNameA gives it:
/// relative names resolved against the current directory (seen as "Z:\..."),
/// "." and ".." applied, runs of separators and a trailing dot dropped.
/// `name` is in UTF-8 when `utf8`, else in the ANSI code page.
std::string FullWindowsPath(const std::string& name, bool utf8 = false);

/// Held through a call on what all of a process's threads share (the
/// registry, the tokens): Windows serves such calls one at a time, and the
/// tests play processes with threads.
class CallTurn {
 public:
  CallTurn();
  ~CallTurn();
  CallTurn(const CallTurn&) = delete;
  CallTurn& operator=(const CallTurn&) = delete;
};

/// Whether the stand-in plays 64-bit Windows, with this program under WOW64.
bool Windows64Bit();

/// The handle of standard output while it is no console: WriteFile on it
/// writes to the process's descriptor 1.
HANDLE ProcessOutputHandle();
/// Whether `handle` is the console that standard output is made to be.
bool IsConsoleHandle(HANDLE handle);
/// Keeps bytes that WriteFile wrote to the console.
void AppendConsoleBytes(const char* bytes, DWORD count);
/// The error FailFileWrites set, or 0.
DWORD FileWriteFault();
/// Closes a process token handle; false when `handle` is none.
bool CloseTokenHandle(HANDLE handle);

/// A SID as its bytes.
using SidBytes = std::vector<BYTE>;
/// The account's user, and whether the calling thread's token is elevated.
SidBytes AccountUserSid();
bool ThreadTokenElevated();

/// A kernel object's security as the object manager keeps it.
struct ObjectSecurity {
  SidBytes owner;                                      // empty: none named
  bool hasDacl = false;                                // false: open to every token
  std::vector<std::pair<SidBytes, DWORD>> allowed;     // the DACL's access-allowed entries
};
/// What a new object gets: the owner and DACL `attributes` name, the calling
/// thread's token defaults for what it leaves out; false, with the error,
/// when the token may not name that owner or the descriptor is none.
bool NewObjectSecurity(const SECURITY_ATTRIBUTES* attributes, ObjectSecurity& security,
                       DWORD& error);
/// Whether `security` grants the calling thread's token all of `rights`.
bool GrantsThread(const ObjectSecurity& security, DWORD rights);
/// The security of the mutex behind `handle`; false when it is none.
bool MutexSecurity(HANDLE handle, ObjectSecurity& security);

void ResetRegistry();
void ResetProcess();
void ResetText();
void ResetFiles();
void ResetShell();
void ResetLibraries();
void ResetConsole();
void ResetAccount();
void ResetClock();
void ResetMutexes();
void ResetSecurity();
/// Closes a mutex handle; false when `handle` is none.
bool CloseMutexHandle(HANDLE handle);
void RecordCall(const std::string& line);

}  // namespace standin
