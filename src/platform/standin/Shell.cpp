// The stand-in's shell: it records what it was asked to open and answers
// what a test set, without ever starting anything. Untold, it acts like a
// machine with no handler for anything.
#include <vector>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

constexpr std::uintptr_t SE_ERR_NOASSOC = 31;

struct Shell {
  std::uintptr_t result = SE_ERR_NOASSOC;
  DWORD lastError = ERROR_NO_ASSOCIATION;
  std::vector<ShellCall> calls;
};

Shell& State() {
  static Shell shell;
  return shell;
}

std::string Text(LPCSTR text) { return text ? text : "(null)"; }

}  // namespace

void ResetShell() { State() = Shell(); }

void SetShellExecuteResult(std::uintptr_t result, DWORD lastError) {
  State().result = result;
  State().lastError = lastError;
}

const std::vector<ShellCall>& ShellCalls() { return State().calls; }

}  // namespace standin

HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT showCommand) {
  using standin::State;
  using standin::Text;
  standin::RecordCall("ShellExecuteA " + Text(file));
  State().calls.push_back({Text(operation), Text(file), Text(parameters), Text(directory),
                           showCommand, window == nullptr});
  SetLastError(State().lastError);
  return reinterpret_cast<HINSTANCE>(State().result);
}
