#include "Handles.h"

#include "Win32.h"

void RegistryKeyTraits::close(Type key) { RegCloseKey(static_cast<HKEY>(key)); }

void FileHandleTraits::close(Type file) { CloseHandle(file); }

void KernelObjectTraits::close(Type object) { CloseHandle(object); }

void LibraryModuleTraits::close(Type module) { FreeLibrary(static_cast<HMODULE>(module)); }
