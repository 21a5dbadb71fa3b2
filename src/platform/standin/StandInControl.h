// What tests of the native build can do to the stand-in beyond the Win32 API:
// put it back to a fresh machine, take rights away, make writes fail, change
// what the process sees, and read back what was called.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Win32StandIn.h"

namespace standin {

/// A fresh machine: empty registry under both roots, no open handles, all
/// controls off, code page 1252, the real executable path and command line,
/// standard output no console, the account STANDIN\user, elevated.
/// Files on disk are real and stay; open file handles are closed.
void Reset();

// ---- Registry -------------------------------------------------------------
enum class KeyRights {
  Full,      // everything, as for an administrator
  ReadOnly,  // reading only: opening with write rights and creating subkeys are refused
  None,      // not even reading
};
/// Rights on the key at `path` under `root` and on everything below it. The
/// key need not exist yet: a key created there later gets the same rights.
void SetKeyRights(HKEY root, const std::string& path, KeyRights rights);
/// Makes RegSetValueExA refuse the value `name` (any name when empty); the
/// refusal returns `error`.
void FailValueWrites(const std::string& name = "", LONG error = ERROR_ACCESS_DENIED);
/// Makes RegQueryValueExA with a data buffer fail for `name` (sizing still works).
void FailValueReads(const std::string& name, LONG error = ERROR_ACCESS_DENIED);
/// Ends the refusals of FailValueWrites and FailValueReads.
void ClearValueFaults();
/// Number of key handles currently open (predefined roots not counted).
int OpenKeyCount();

// ---- Call log -------------------------------------------------------------
/// Every registry, file, library and shell call in order, one line each, as
/// "Function path" ("WriteFile <count>", "CloseHandle" for handle calls,
/// "FreeLibrary <file name>"); opening and creating keys add the rights
/// asked for ("RegOpenKeyExA HKLM\\A 0xF003F"), and an open of a link as
/// itself says so ("RegOpenKeyExA HKLM\\A OPEN_LINK 0x20009").
const std::vector<std::string>& CallLog();
void ClearCallLog();

// ---- Process --------------------------------------------------------------
/// What GetModuleFileNameA reports for the process's own module.
void SetModuleFileName(const std::string& windowsPath);
/// The command line as typed: what GetCommandLineW returns, in UTF-8 or in
/// UTF-16 units (which may hold a lone surrogate). GetCommandLineA gives it
/// in the ANSI code page.
void SetCommandLine(const std::string& commandLine);
void SetCommandLine(const std::u16string& commandLine);
/// Plays 64-bit Windows (true) or 32-bit Windows (false, the default): the
/// process then runs under WOW64 and sees HKLM\SOFTWARE through its 32-bit
/// view, SOFTWARE\WOW6432Node, unless it asks for KEY_WOW64_64KEY.
void SetWindows64Bit(bool windows64);
/// The session (1 unless told) the calling thread plays a process of: a
/// named mutex "Local\\..." (or without a prefix) is one per session,
/// "Global\\..." one for the machine.
void SetThreadSession(DWORD session);
/// Makes CreateMutexW fail with `error` (0: back to normal), as it does for
/// a name another account made first and keeps from us.
void FailMutexCreation(DWORD error);
/// The ANSI code page: 1252 (single-byte) or 932 (double-byte lead bytes).
/// MultiByteToWideChar and WideCharToMultiByte convert 1252 and UTF-8 whole
/// (of 1252's best fits those into ASCII); of 932 only its characters of one
/// byte, and they refuse the rest with ERROR_INVALID_PARAMETER (see
/// Unicode.cpp).
void SetAnsiCodePage(UINT codePage);
/// The account the process runs as: its token's user maps to `domain` and
/// `user` (an empty user: to no name, ERROR_NONE_MAPPED), and the token is
/// elevated or not.
void SetAccount(const std::string& domain, const std::string& user, bool elevated);
/// The calling thread, until it ends or resets, plays another process of the
/// same account whose token is elevated or not.
void SetThreadElevation(bool elevated);
/// Makes OpenProcessToken fail with `error` (0: back to normal).
void FailProcessToken(DWORD error);
/// Number of process token handles currently open.
int OpenTokenCount();

// ---- Clock ----------------------------------------------------------------
/// Makes GetSystemTime answer `time` from now on, as a machine whose clock
/// was set there and stands still; a reset gives the real clock back.
void SetClock(const SYSTEMTIME& time);

// ---- Files ----------------------------------------------------------------
/// The POSIX path that a Windows path names, as Wine maps it (Z: is "/").
std::string PosixPath(const std::string& windowsPath);
/// The Windows path of a POSIX path, as Wine presents it ("Z:\...").
std::string WindowsPath(const std::string& posixPath);
/// Makes the next WriteFile and WriteConsoleW calls fail with `error` (0:
/// back to normal).
void FailFileWrites(DWORD error);
/// Makes the next WriteFile calls write at most `bytes` bytes (-1: no limit).
void LimitFileWrites(int bytes);
/// Number of file handles currently open.
int OpenFileCount();

// ---- Standard output ------------------------------------------------------
// Standard output is the process's own descriptor 1, as a file or pipe is
// to a Windows program (GetConsoleMode refuses it), unless made a console.
/// Makes standard output a console (true) or descriptor 1 again (false):
/// GetStdHandle then answers the console's handle, GetConsoleMode accepts it.
void SetConsoleOutput(bool console);
struct ConsoleRecord {
  std::u16string text;  // what WriteConsoleW wrote
  std::string bytes;    // what WriteFile wrote, in a code page the stand-in leaves open
};
/// What was written to the console since the last reset.
const ConsoleRecord& ConsoleOutput();

// ---- Libraries ------------------------------------------------------------
/// The system directory, as GetSystemDirectoryA reports it.
extern const char kSystemDirectory[];
/// Makes LoadLibraryExA refuse the DLL `fileName` ("shell32.dll") with `error`.
void FailLibraryLoads(const std::string& fileName, DWORD error = ERROR_MOD_NOT_FOUND);
/// A system from before SetDefaultDllDirectories: kernel32 does not export it.
void RemoveSetDefaultDllDirectories();
/// Where a DLL loaded by name would be looked for.
enum class DllSearch {
  Standard,                 // the program's folder, the system, the current directory, PATH
  WithoutCurrentDirectory,  // after SetDllDirectoryA("")
  SystemDirectoryOnly,      // after SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)
};
DllSearch CurrentDllSearch();
/// The DLLs loaded with LoadLibraryExA and not yet freed, in lower case.
std::vector<std::string> LoadedLibraries();

// ---- Shell ----------------------------------------------------------------
/// What ShellExecuteA answers from now on, and the last error it leaves.
/// Untold, it answers 31 (no association) with ERROR_NO_ASSOCIATION.
void SetShellExecuteResult(std::uintptr_t result, DWORD lastError);
struct ShellCall {
  std::string operation;  // "(null)" for a null pointer
  std::string file;
  std::string parameters;
  std::string directory;
  INT showCommand;
  bool windowIsNull;
};
const std::vector<ShellCall>& ShellCalls();

}  // namespace standin
