// Shared inside the stand-in only.
#pragma once

#include <string>

#include "Win32StandIn.h"

namespace standin {

/// Upper case of one byte in the current ANSI code page (letters of code page
/// 1252; in a double-byte code page only a to z).
unsigned char FoldToUpper(unsigned char byte);
std::string FoldToUpper(const std::string& text);
/// Number of characters in `text` under the current ANSI code page.
std::size_t CharacterCount(const std::string& text);

/// The full form of a Windows file name, as GetFullPathNameA gives it:
/// relative names resolved against the current directory (seen as "Z:\..."),
/// "." and ".." applied, runs of separators and a trailing dot dropped.
std::string FullWindowsPath(const std::string& name);

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
/// Closes a mutex handle; false when `handle` is none.
bool CloseMutexHandle(HANDLE handle);
void RecordCall(const std::string& line);

}  // namespace standin
