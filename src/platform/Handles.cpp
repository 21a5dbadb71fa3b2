#include "Handles.h"

#include "Advapi32.h"
#include "Win32.h"

void RegistryKeyTraits::close(Type key) { Advapi32().RegCloseKey(static_cast<HKEY>(key)); }

void FileHandleTraits::close(Type file) { CloseHandle(file); }

void KernelObjectTraits::close(Type object) { CloseHandle(object); }

void LibraryModuleTraits::close(Type module) { FreeLibrary(static_cast<HMODULE>(module)); }
