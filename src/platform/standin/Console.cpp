// The stand-in's standard output: the process's own descriptor 1, as a file
// or pipe is to a Windows program, unless a test makes it a console, which
// keeps what is written to it for the test to read. Only standard output is
// played; standard input and standard error are refused.
#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

// Small values, as Windows gives console handles, apart from the registry's
// (0x100 on), the files' (0x10000 on) and the tokens' (0x20000 on).
constexpr ULONG_PTR kConsoleOutput = 0x0C;
constexpr ULONG_PTR kProcessOutput = 0x1C;

struct Console {
  bool active = false;  // standard output is a console
  HANDLE standardOutput = reinterpret_cast<HANDLE>(kProcessOutput);
  ConsoleRecord record;
};

Console& State() {
  static Console console;
  return console;
}

bool IsActiveConsole(HANDLE handle) {
  return State().active && handle == reinterpret_cast<HANDLE>(kConsoleOutput);
}

}  // namespace

HANDLE ProcessOutputHandle() { return reinterpret_cast<HANDLE>(kProcessOutput); }

bool IsConsoleHandle(HANDLE handle) { return IsActiveConsole(handle); }

void AppendConsoleBytes(const char* bytes, DWORD count) {
  State().record.bytes.append(bytes, count);
}

void ResetConsole() { State() = Console(); }

void SetConsoleOutput(bool console) {
  State().active = console;
  State().standardOutput = reinterpret_cast<HANDLE>(console ? kConsoleOutput : kProcessOutput);
}

const ConsoleRecord& ConsoleOutput() { return State().record; }

}  // namespace standin

using namespace standin;

HANDLE GetStdHandle(DWORD stdHandle) {
  if (stdHandle != STD_OUTPUT_HANDLE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return State().standardOutput;
}

BOOL SetStdHandle(DWORD stdHandle, HANDLE handle) {
  if (stdHandle != STD_OUTPUT_HANDLE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  State().standardOutput = handle;
  return TRUE;
}

BOOL GetConsoleMode(HANDLE console, LPDWORD mode) {
  if (!IsActiveConsole(console)) {
    SetLastError(ERROR_INVALID_HANDLE);  // a file or pipe is no console
    return FALSE;
  }
  if (mode == nullptr) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  *mode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
  return TRUE;
}

BOOL WriteConsoleW(HANDLE console, const void* buffer, DWORD count, LPDWORD written, LPVOID) {
  RecordCall("WriteConsoleW " + std::to_string(count));
  if (written) *written = 0;
  if (!IsActiveConsole(console)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (const DWORD fault = FileWriteFault()) {
    SetLastError(fault);
    return FALSE;
  }
  State().record.text.append(static_cast<const WCHAR*>(buffer), count);
  if (written) *written = count;
  return TRUE;
}
