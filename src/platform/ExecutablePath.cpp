#include "ExecutablePath.h"

#include "Exceptions.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "Win32.h"

namespace {
constexpr DWORD kPathCapacity = 261;
}

std::string ExecutablePath() {
  WCHAR buffer[kPathCapacity] = {};
  const DWORD length = GetModuleFileNameW(nullptr, buffer, kPathCapacity);
  // A result that fills the whole buffer means the path was cut: files and
  // registry values built from it would point somewhere else.
  if (length >= kPathCapacity) SetLastError(ERROR_INSUFFICIENT_BUFFER);
  if (length == 0 || length >= kPathCapacity) RaiseLastSystemError();
  return Utf8From(buffer, length);
}
