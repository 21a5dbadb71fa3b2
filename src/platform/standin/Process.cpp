// Process-wide services of the stand-in: last error, module path, command
// line, system message texts, and the call log tests read.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

struct Process {
  std::string moduleFileName;
  std::u16string commandLine;   // as typed, zero-terminated
  std::string ansiCommandLine;  // what GetCommandLineA last gave
  std::vector<std::string> callLog;
  bool windows64 = false;
};

std::string RealExecutablePath();
std::string RealCommandLine();

// The process's real path and command line do not change while it runs:
// read once, so that a reset costs no file reads.
Process FreshProcess() {
  static const std::string realPath = RealExecutablePath();
  static const std::string realCommandLine = RealCommandLine();
  Process process;
  process.moduleFileName = realPath;
  process.commandLine = WideFromUtf8(realCommandLine) + u'\0';
  return process;
}

// Each thread has its own last error, as on Windows.
thread_local DWORD threadLastError = 0;

Process& State() {
  static Process process = FreshProcess();
  return process;
}

std::string RealExecutablePath() {
  char buffer[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? WindowsPath(std::string(buffer, static_cast<std::size_t>(length))) : "";
}

// The arguments this process was started with, quoted where they hold blanks.
std::string RealCommandLine() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string line;
  std::size_t start = 0;
  while (start < raw.size()) {
    const std::size_t end = raw.find('\0', start);
    const std::string argument = raw.substr(start, end - start);
    if (!line.empty()) line += ' ';
    line += argument.find_first_of(" \t") == std::string::npos ? argument : '"' + argument + '"';
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return line;
}

// The system's English texts for the codes the program reports.
const std::map<DWORD, const char*>& MessageTable() {
  static const std::map<DWORD, const char*> table = {
      {0, "The operation completed successfully.\r\n"},
      {2, "The system cannot find the file specified.\r\n"},
      {3, "The system cannot find the path specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {6, "The handle is invalid.\r\n"},
      {8, "Not enough memory resources are available to process this command.\r\n"},
      {29, "The system cannot write to the specified device.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\r\n"},
      {39, "The disk is full.\r\n"},
      {87, "The parameter is incorrect.\r\n"},
      {112, "There is not enough space on the disk.\r\n"},
      {122, "The data area passed to a system call is too small.\r\n"},
      {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
      {126, "The specified module could not be found.\r\n"},
      {183, "Cannot create a file when that file already exists.\r\n"},
      {1155, "No application is associated with the specified file for this operation.\r\n"},
  };
  return table;
}

constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;

}  // namespace

void ResetProcess() {
  State() = FreshProcess();
  threadLastError = 0;
}

void Reset() {
  ResetRegistry();
  ResetText();
  ResetProcess();
  ResetFiles();
  ResetShell();
  ResetLibraries();
  ResetConsole();
  ResetAccount();
  ResetClock();
  ResetMutexes();
  ResetSecurity();
}

namespace {

std::recursive_mutex& CallTurnLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace

CallTurn::CallTurn() { CallTurnLock().lock(); }
// Another thread may run next, as after any system call on Windows.
CallTurn::~CallTurn() {
  CallTurnLock().unlock();
  std::this_thread::yield();
}

// Threads may log at once (the mutexes' tests play two processes).
std::mutex& CallLogLock() {
  static std::mutex lock;
  return lock;
}

void RecordCall(const std::string& line) {
  const std::lock_guard<std::mutex> guard(CallLogLock());
  State().callLog.push_back(line);
}
const std::vector<std::string>& CallLog() { return State().callLog; }
void ClearCallLog() { State().callLog.clear(); }

void SetModuleFileName(const std::string& windowsPath) { State().moduleFileName = windowsPath; }
void SetCommandLine(const std::string& commandLine) { SetCommandLine(WideFromUtf8(commandLine)); }
void SetCommandLine(const std::u16string& commandLine) {
  State().commandLine = commandLine + u'\0';
}
void SetWindows64Bit(bool windows64) { State().windows64 = windows64; }
bool Windows64Bit() { return State().windows64; }

}  // namespace standin

using standin::State;

DWORD GetLastError() { return standin::threadLastError; }

void SetLastError(DWORD code) { standin::threadLastError = code; }

namespace {

// The module's path in the units of the call that asks for it.
template <typename Unit>
DWORD DeliverModuleFileName(HMODULE module, const std::basic_string<Unit>& path, Unit* fileName,
                            DWORD size) {
  if (module != nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  // The system never answers 0 without saying why.
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // As since Windows Vista: a path that does not fit is cut, terminated, and
  // the full buffer size returned.
  if (path.size() >= size) {
    std::copy(path.begin(), path.begin() + (size - 1), fileName);
    fileName[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::copy(path.begin(), path.end(), fileName);
  fileName[path.size()] = 0;
  return static_cast<DWORD>(path.size());
}

}  // namespace

// The path is kept in UTF-8; what the ANSI code page lacks comes out as "?".
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  return DeliverModuleFileName(module, standin::AnsiFromUtf8(State().moduleFileName), fileName,
                               size);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  const std::u16string path = standin::WideFromUtf8(State().moduleFileName);
  return DeliverModuleFileName(module, std::basic_string<WCHAR>(path.begin(), path.end()), fileName,
                               size);
}

// A pseudo handle, as Windows gives it: -1 stands for the calling process.
HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

BOOL IsWow64Process(HANDLE process, PBOOL wow64) {
  if (process != GetCurrentProcess() || wow64 == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *wow64 = State().windows64 ? TRUE : FALSE;
  return TRUE;
}

LPWSTR GetCommandLineW() { return &State().commandLine[0]; }

// The line as typed in the ANSI code page, a character the code page lacks
// in its best fit, as Windows makes it for the "A" call.
LPSTR GetCommandLineA() {
  const std::u16string& line = State().commandLine;
  State().ansiCommandLine =
      standin::AnsiFromUtf8(standin::Utf8FromWide(std::u16string(line.begin(), line.end() - 1)));
  return &State().ansiCommandLine[0];
}

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size,
                     void*) {
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto found = standin::MessageTable().find(messageId);
  if (found == standin::MessageTable().end()) {
    SetLastError(standin::ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  const std::size_t length = std::strlen(found->second);
  if (length + 1 > size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, found->second, length + 1);
  return static_cast<DWORD>(length);
}

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, void* arguments) {
  // The stand-in's messages are ASCII: the same units in either width.
  char narrow[512] = {};
  const DWORD length = FormatMessageA(flags, source, messageId, languageId, narrow,
                                      std::min<DWORD>(size, sizeof narrow), arguments);
  for (DWORD i = 0; i <= length && i < size; ++i) buffer[i] = static_cast<WCHAR>(narrow[i]);
  return length;
}
