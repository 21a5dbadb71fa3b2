#include "NewGuid.h"

#include <cstdio>

#include "Exceptions.h"
#include "SystemErrorText.h"
#include "SystemLibrary.h"
#include "Win32.h"

namespace {

const char kGuidForm[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";

}  // namespace

std::string NewGuidText() {
  const SystemLibrary com("ole32.dll");
  const auto create = reinterpret_cast<decltype(&CoCreateGuid)>(com.Find("CoCreateGuid"));
  GUID guid = {};
  const HRESULT result = create(&guid);
  if (result < 0) {
    throw EOSError("No new GUID could be made: " + SystemErrorText(static_cast<DWORD>(result)),
                   static_cast<DWORD>(result));
  }
  char text[sizeof kGuidForm];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

bool IsGuidText(const std::string& text) {
  if (text.size() != sizeof kGuidForm - 1) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if (kGuidForm[i] == 'X' ? !hex : c != kGuidForm[i]) return false;
  }
  return true;
}
