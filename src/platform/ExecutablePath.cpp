#include "ExecutablePath.h"

#include "Exceptions.h"
#include "SystemErrorText.h"
#include "Win32.h"

namespace {
constexpr DWORD kPathCapacity = 261;
}

std::string ExecutablePath() {
  char buffer[kPathCapacity] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, kPathCapacity);
  // A result that fills the whole buffer means the path was cut: files and
  // registry values built from it would point somewhere else.
  if (length >= kPathCapacity) SetLastError(ERROR_INSUFFICIENT_BUFFER);
  if (length == 0 || length >= kPathCapacity) RaiseLastSystemError();
  return std::string(buffer, length);
}
