#include "OwnRawResource.h"

#include "SystemErrorText.h"
#include "Win32.h"

std::string OwnRawResource(int id) {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<const char*>(&OwnRawResource), &self)) {
    RaiseLastSystemError();
  }
  const HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  const HGLOBAL loaded = found == nullptr ? nullptr : LoadResource(self, found);
  const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
  if (bytes == nullptr) RaiseLastSystemError();
  return std::string(static_cast<const char*>(bytes), SizeofResource(self, found));
}
