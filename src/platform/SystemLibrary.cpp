#include "SystemLibrary.h"

#include <string>

#include "SystemErrorText.h"
#include "Win32.h"

namespace {

using SetDefaultDllDirectoriesFunction = decltype(&SetDefaultDllDirectories);

// Older systems lack SetDefaultDllDirectories, so it is looked up rather
// than imported; kernel32 is loaded in every process.
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  const auto found =
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories"));
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(found);
}

std::string SystemDirectoryPath(const char* fileName) {
  char directory[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryA(directory, sizeof directory);
  if (length == 0 || length >= sizeof directory) RaiseLastSystemError();
  return std::string(directory, length) + "\\" + fileName;
}

}  // namespace

void RestrictDllSearch() {
  const SetDefaultDllDirectoriesFunction setDefault = FindSetDefaultDllDirectories();
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it, at least the current directory leaves the search.
  SetDllDirectoryA("");
}

// By full path, and with the altered search order, so that the DLLs it needs
// in turn are looked for in the system directory too, never beside the
// program: this holds even where SetDefaultDllDirectories is missing.
SystemLibrary::SystemLibrary(const char* fileName)
    : module_(LoadLibraryExA(SystemDirectoryPath(fileName).c_str(), nullptr,
                             LOAD_WITH_ALTERED_SEARCH_PATH)) {
  if (!module_) RaiseLastSystemError();
}

SystemLibrary::Procedure SystemLibrary::Find(const char* name) const {
  const FARPROC found = GetProcAddress(static_cast<HMODULE>(module_.get()), name);
  if (found == nullptr) RaiseLastSystemError();
  return reinterpret_cast<Procedure>(found);
}
