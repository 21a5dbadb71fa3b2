#include "NewGuid.h"

#include "Exceptions.h"
#include "SystemErrorText.h"
#include "SystemLibrary.h"
#include "Win32.h"

namespace {

const char kGuidForm[] = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";

// Written by hand: the C runtime's formatted output would bring its whole
// printf machinery into every program for one line.
void AppendHex(std::string& text, unsigned long value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    text += kDigits[(value >> shift) & 0xF];
}

std::string GuidText(const GUID& guid) {
  std::string text = "{";
  AppendHex(text, guid.Data1, 8);
  text += '-';
  AppendHex(text, guid.Data2, 4);
  text += '-';
  AppendHex(text, guid.Data3, 4);
  text += '-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) text += '-';
    AppendHex(text, guid.Data4[i], 2);
  }
  return text + "}";
}

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
  return GuidText(guid);
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
