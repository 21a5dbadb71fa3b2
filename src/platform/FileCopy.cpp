#include "FileCopy.h"

#include "SystemErrorText.h"
#include "WideText.h"
#include "Win32.h"

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).data());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void EnsureFolder(const std::string& path) {
  if (CreateDirectoryW(Widen(path).data(), nullptr)) return;
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS) return;
  SetLastError(error);
  RaiseLastSystemError();
}

void CopyFileReplacing(const std::string& from, const std::string& to) {
  if (!CopyFileW(Widen(from).data(), Widen(to).data(), FALSE)) RaiseLastSystemError();
}
