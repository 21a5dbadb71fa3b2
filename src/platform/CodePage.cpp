#include "CodePage.h"

#include <cstring>

#include "WideText.h"
#include "Win32.h"

bool IsDoubleByteCodePage() {
  CPINFO info{};
  return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
}

std::size_t FindLastDelimiter(const std::string& text, const char* delimiters) {
  // Only a forward scan knows where characters start: a byte can be a trail
  // byte or a character of its own depending on what precedes it.
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (i + 1 < text.size() && IsDBCSLeadByte(byte)) {
      ++i;  // skip the trail byte
    } else if (byte != 0 && std::strchr(delimiters, byte) != nullptr) {
      found = i;
    }
  }
  return found;
}

std::string InCodePage(const std::string& utf8, unsigned codePage) {
  const WideText wide = Widen(utf8);
  return NarrowTo(codePage, wide.data(), wide.size() - 1);
}

bool SameAnsiTextIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  const WideText wideA = Widen(a);
  const WideText wideB = Widen(b);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(), -1, wideB.data(), -1) ==
         CSTR_EQUAL;
}
