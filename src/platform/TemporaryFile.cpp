#include "TemporaryFile.h"

#include "Exceptions.h"
#include "Handles.h"
#include "SystemErrorText.h"
#include "WideText.h"
#include "Win32.h"

TemporaryFile::TemporaryFile(const std::string& bytes) {
  WCHAR folder[MAX_PATH + 1] = {};
  WCHAR path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) RaiseLastSystemError();
  if (GetTempFileNameW(folder, Widen("vor").data(), 0, path) == 0) RaiseLastSystemError();
  std::size_t pathLength = 0;
  while (path[pathLength] != 0) ++pathLength;
  // GetTempFileName made the file: from here on it is deleted whatever follows.
  name_.path = Utf8From(path, pathLength);
  const ScopedFileHandle file(
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseLastSystemError();
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    RaiseLastSystemError();
  }
  if (written != bytes.size()) throw EOSError("Writing " + name_.path + " stopped short", 0);
}

TemporaryFile::DeletedWhenGone::~DeletedWhenGone() {
  if (!path.empty()) DeleteFileW(Widen(path).data());
}
